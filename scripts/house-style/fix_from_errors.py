# Reads compiler errors on stdin; where gcc names the PascalCase member it
# meant, puts it at the exact place.
import re, sys, os, collections
pat = re.compile(r"^(\S+?):(\d+):(\d+): error: .*?(?:has no member named|was not declared in this scope|is not a member of)[^‘]*‘([^’]+)’.*?did you mean ‘([^’]+)’")
pat2 = re.compile(r"^(\S+?):(\d+):(\d+): error: ‘(?:[\w:]+::)?([^’]+)’ (?:has no member named )?.*did you mean ‘([^’]+)’")
fixes = collections.defaultdict(set)
for line in sys.stdin:
    m = re.match(r"^(\S+?):(\d+):(\d+): error: ‘(\w+)’ is not a member of ‘[^’]+’; did you mean ‘([\w:]+)’", line) or pat.match(line)
    if not m: continue
    f, ln, col, old, new = m.groups()
    old = old.split('::')[-1]; new = new.split('::')[-1]
    if old.lower() != new.lower(): print('skip', line.strip()); continue
    fixes[os.path.normpath(os.path.join(os.getcwd(), 'build', 'tests', f)) if not f.startswith('/') else f].add((int(ln), int(col), old, new))
for f, items in fixes.items():
    if not os.path.exists(f):
        print('missing', f); continue
    lines = open(f, encoding='utf-8').read().split('\n')
    for ln, col, old, new in sorted(items, reverse=True):
        s = lines[ln - 1]
        # gcc columns count bytes; find the old token at or after that column
        b = s.encode()
        i = b.find(old.encode(), col - 1)
        if i < 0: print('notfound', f, ln, old); continue
        b = b[:i] + new.encode() + b[i + len(old):]
        lines[ln - 1] = b.decode()
    open(f, 'w', encoding='utf-8').write('\n'.join(lines))
    print(f, len(items))
