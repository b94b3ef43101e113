"""Packs the native NuGet package: pack_nupkg.py OUTPUT NUSPEC NAME=FILE...
Each NAME is the file's path inside the package (build/native/revtick.targets,
tools/x64/revtick.exe), FILE where it is now. The package is a ZIP in the
layout NuGet reads ([Content_Types].xml, _rels/.rels, the .nuspec at the
top), packed so that two packings of the same files give the same bytes:
entries in name order, every time SOURCE_DATE_EPOCH's (in UTC), fixed
modes."""
import os
import sys
import time
import zipfile

output, nuspec, *pairs = sys.argv[1:]
stamp = max(time.gmtime(int(os.environ["SOURCE_DATE_EPOCH"]))[:6], (1980, 1, 1, 0, 0, 0))
nuspec_name = os.path.basename(nuspec)

files = {nuspec_name: open(nuspec, "rb").read()}
for pair in pairs:
    name, path = pair.split("=", 1)
    with open(path, "rb") as source:
        files[name] = source.read()

def content_type(extension):
    if extension == "rels":
        return "application/vnd.openxmlformats-package.relationships+xml"
    return "application/octet"


extensions = sorted({name.rsplit(".", 1)[1] for name in files} | {"rels"})
files["[Content_Types].xml"] = (
    '<?xml version="1.0" encoding="utf-8"?>\n'
    '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">\n'
    + "".join(f'  <Default Extension="{extension}" ContentType="{content_type(extension)}" />\n'
              for extension in extensions)
    + "</Types>\n").encode()
files["_rels/.rels"] = (
    '<?xml version="1.0" encoding="utf-8"?>\n'
    '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">\n'
    f'  <Relationship Type="http://schemas.microsoft.com/packaging/2010/07/manifest" '
    f'Target="/{nuspec_name}" Id="R0" />\n'
    "</Relationships>\n").encode()

partial = output + ".new"
with zipfile.ZipFile(partial, "w") as package:
    for name in sorted(files):
        entry = zipfile.ZipInfo(name, stamp)
        entry.create_system = 3  # Unix, so that the mode below counts
        entry.external_attr = (0o100755 if name.endswith(".exe") else 0o100644) << 16
        entry.compress_type = zipfile.ZIP_DEFLATED
        package.writestr(entry, files[name])
os.replace(partial, output)
