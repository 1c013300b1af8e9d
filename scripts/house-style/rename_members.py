import re, subprocess, sys, os
os.chdir(subprocess.run(['git', 'rev-parse', '--show-toplevel'], capture_output=True, text=True).stdout.strip())
decl = re.compile(r'^\s+(?:mutable\s+|static\s+|inline\s+|const\s+)*[A-Za-z_][\w:<>,\s\*&\[\]]*?[\s\*&](m_\w+)\s*(?:=|\{|;|\[)')
def files(dirs):
    out = subprocess.run(['git', 'ls-files', '--'] + dirs, capture_output=True, text=True).stdout.split()
    return [f for f in out if f.endswith(('.h', '.cpp'))]
def declared(fs):
    names = {}
    for f in fs:
        for line in open(f, encoding='utf-8', errors='replace'):
            m = decl.match(line) or re.match(r'^\s*\}\s*(m_\w+)\s*;', line)
            if m: names.setdefault(m.group(1), set()).add(f)
    return names
own = ['Viewer', 'platform', 'ledger', 'tests', 'bench', 'fuzz']
mine = declared(files(own))
theirs = declared(files(['engine', 'control']))
clash = {n for n in mine if n in theirs}
print('declared in own folders:', len(mine), 'clash with engine/control:', sorted(clash))
if '--list' in sys.argv:
    for n in sorted(mine): print(n, sorted(mine[n]))

# Rename: m_fooBar -> fooBar_ for members declared in our own folders. Where an
# engine or control class declares the same name, only the unqualified uses
# (and this->) change, since x.m_name may be the engine's member.
if '--apply' in sys.argv:
    tok = re.compile(r'(\.|->)?\b(m_([a-z]\w*))\b')
    changed = 0
    for f in files(own):
        s = open(f, encoding='utf-8').read()
        def sub(m):
            acc, full, base = m.group(1), m.group(2), m.group(3)
            if full not in mine: return m.group(0)
            if acc and full in clash:
                start = m.start()
                if not s[max(0, start - 4):start] == 'this': return m.group(0)
            return (acc or '') + base + '_'
        t = tok.sub(sub, s)
        if t != s:
            open(f, 'w', encoding='utf-8').write(t); changed += 1
    print('files changed', changed)
