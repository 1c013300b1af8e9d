# Applies clang-tidy identifier-naming fixes for declarations in the given
# folders only, with a few names chosen by hand where the PascalCase form
# would collide with a type.
import yaml, glob, re, sys, collections, os
root = os.getcwd() + '/'
target = re.compile(r'^' + root + r'platform/(ui|rows|automation)/')
override = {
    ('platform/ui/Prompt.h', 'prompt'): 'CurrentPrompt',
    ('platform/automation/Variant.h', 'dispatch'): 'AsDispatch',
    ('platform/automation/Variant.h', 'unknown'): 'AsUnknown',
    ('platform/ui/ScriptedPrompt.h', 'asked'): 'AllAsked',
    ('platform/rows/RowTableModel.h', 'row'): 'RowAt',
}
reps = {}
seen = set()
for f in glob.glob(sys.argv[1] + '/*.yaml'):
    d = yaml.safe_load(open(f))
    if not d: continue
    for dg in d.get('Diagnostics', []):
        m = dg['DiagnosticMessage']
        if not target.match(m['FilePath']): continue
        name = re.search(r"'([^']+)'", m['Message']).group(1)
        new = override.get((m['FilePath'].replace(root, ''), name))
        for r in m.get('Replacements', []):
            text = new or r['ReplacementText']
            key = (r['FilePath'], r['Offset'], r['Length'])
            if key in reps and reps[key] != text:
                print('conflict', key, reps[key], text); continue
            reps[key] = text
byfile = collections.defaultdict(list)
for (fp, off, ln), text in reps.items(): byfile[fp].append((off, ln, text))
for fp, items in byfile.items():
    data = open(fp, 'rb').read()
    for off, ln, text in sorted(items, reverse=True):
        data = data[:off] + text.encode() + data[off + ln:]
    open(fp, 'wb').write(data)
print(len(reps), 'replacements in', len(byfile), 'files')
