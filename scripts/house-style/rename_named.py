# Names that explained nothing, to the names chosen for them; word-bounded, so
# a second run finds nothing to change.
import re, subprocess, os
os.chdir(subprocess.run(['git', 'rev-parse', '--show-toplevel'], capture_output=True, text=True).stdout.strip())
renames = [
    (r'\bKeepEditsOut\b', 'WarnAndMakeReadOnly'),
    (r'\bTrapped\(', 'WarnAndReturnTo('),
    (r'\bReported\b(?=\s*[{&])', 'FailureAlreadyShown'),
    (r'\bFromBool\(', 'StoredFlag('),
    (r'\bCheckedMember\(', 'ObjectAllowingDispid('),
    (r'\bChecked\(0\)', 'ObjectAllowing(kAccessName)'),
    (r'\bChecked\(1\)', 'ObjectAllowing(kAccessText)'),
    (r'\bChecked\(2\)', 'ObjectAllowing(kAccessObjectType)'),
    (r'\bChecked\(-1\)', 'ObjectAllowing(kAnyAccess)'),
    (r'\bChecked\((?=k|int32_t)', 'ObjectAllowing('),
    (r'(?<=[.>])Checked\(\)', 'AttachedLayer()'),
    (r'(?<=::)Checked\(\)', 'AttachedLayer()'),
    (r'\bTvLayer& Checked\(\)', 'TvLayer& AttachedLayer()'),
    (r'\bm_pLayer->Checked\(\)', 'm_pLayer->AttachedLayer()'),
    # names whose PascalCase form is a type's
    (r'(?<=[.>])(?:asked|Asked)\(\)', 'AllAsked()'),
    (r'\bui::prompt\(\)', 'ui::CurrentPrompt()'),
]
files = subprocess.run(['git', 'ls-files', '--', 'engine', 'platform', 'control', 'Viewer', 'ledger', 'ImageTool', 'tests', 'bench', 'fuzz'],
                       capture_output=True, text=True).stdout.split()
for f in files:
    if not f.endswith(('.h', '.cpp')): continue
    s = open(f, encoding='utf-8').read()
    t = s
    for a, b in renames: t = re.sub(a, b, t)
    if t != s:
        open(f, 'w', encoding='utf-8').write(t); print(f)
