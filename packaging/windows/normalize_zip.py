"""Rewrites each ZIP named on the command line so that two packings of the
same files give the same bytes, whoever packs them and wherever: entries in
name order, every time SOURCE_DATE_EPOCH's (in UTC), no owner, and modes
755 for folders and programs, 644 for the rest. CPack's ZIPs otherwise keep
the order the file system lists the files in and the packer's user and
group ids."""
import os
import sys
import time
import zipfile

stamp = max(time.gmtime(int(os.environ["SOURCE_DATE_EPOCH"]))[:6], (1980, 1, 1, 0, 0, 0))

for path in sys.argv[1:]:
    with zipfile.ZipFile(path) as packed:
        entries = [(info, packed.read(info)) for info in packed.infolist()]
    entries.sort(key=lambda entry: entry[0].filename)
    rewritten = path + ".new"
    with zipfile.ZipFile(rewritten, "w") as out:
        for info, data in entries:
            entry = zipfile.ZipInfo(info.filename, stamp)
            entry.create_system = 3  # Unix, so that the modes below count
            if info.is_dir():
                entry.external_attr = (0o40755 << 16) | 0x10
            else:
                executable = (info.external_attr >> 16) & 0o111
                entry.external_attr = (0o100755 if executable else 0o100644) << 16
                entry.compress_type = zipfile.ZIP_DEFLATED
            out.writestr(entry, data)
    os.replace(rewritten, path)
