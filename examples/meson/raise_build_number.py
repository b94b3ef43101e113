"""Raises the build number in a counter with revtick, then writes the header
the sources include from the number this raise reported, never from the
counter read back: another build that shares the counter may raise it again
at once. A counter held by such a build is tried again for about 10 seconds;
any other failure stops the build with revtick's message, and the header
stays as it was. The header is written only when its text changed.

    raise_build_number.py REVTICK COUNTER HEADER [-v] [-t] [-n] [--no-raise]

--no-raise writes the header from the counter as it is (a read-only tree).
"""
import os
import re
import subprocess
import sys
import time

BUSY = re.compile(r'^Cannot open file ".*" \(0/(16|32) ')
REPORT = re.compile(rb'^Macro "([^ ]*)" set to ([0-9]+) in ')


def raise_counter(revtick, counter, options):
    """Runs revtick until the counter is free; returns its report."""
    for _ in range(100):
        run = subprocess.run([revtick, '-v'] + options + [counter], capture_output=True)
        if run.returncode != 3 or not BUSY.match(run.stderr.decode(errors='replace')):
            break
        time.sleep(0.1)
    if run.returncode != 0:
        sys.stderr.write('%s: %s\n' % (counter, run.stderr.decode(errors='replace').strip()))
        sys.exit(run.returncode)
    return run.stdout


def main(revtick, counter, header, *flags):
    options = [flag for flag in flags if flag != '--no-raise']
    if '--no-raise' in flags:
        with open(counter, 'rb') as source:
            text = source.read()
    else:
        report = raise_counter(revtick, counter, options)
        if '-v' in options:
            sys.stdout.write(report.decode(errors='replace'))
        found = REPORT.match(report)
        if not found:
            sys.exit('%s: revtick printed no report' % counter)
        name, number = found.group(1), int(found.group(2))
        text = b'#define %s %d\r\n' % (name, number)
        if '-n' in options:
            text += b'#define %sNext %d\r\n' % (name, (number + 1) % 2**32)
    try:
        with open(header, 'rb') as old:
            if old.read() == text:
                return
    except FileNotFoundError:
        pass
    with open(header + '.new', 'wb') as new:
        new.write(text)
    os.replace(header + '.new', header)


if __name__ == '__main__':
    main(*sys.argv[1:])
