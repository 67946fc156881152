#!/usr/bin/python3
"""Compares registry exports (regedit's .reg format, as Wine's `reg export` writes them).

  registry_diff.py added BEFORE AFTER            what AFTER adds to or changes in BEFORE
  registry_diff.py same BEFORE AFTER [IGNORE]    fails unless the two hold the same keys and values
  registry_diff.py equal-changes BASE A B [IGNORE...]
      fails unless A and B change BASE alike: the same keys and values added, changed and removed,
      where the path of a library file counts as "<file>"; a type library's HELPDIR folder is left
      out (regsvr32 names the file's folder, the installers none: both bitnesses share the key)

Key names compare without regard to case, as Windows looks them up. IGNORE names key prefixes to
leave out (case-insensitive, without the hive), such as the installer's own bookkeeping; a prefix
that starts with "~" leaves out only the keys under it that hold no value (containers that
stay once made).
"""
import re
import sys


def load(path):
    """{key: {value name: data}} of one export; keys lower-cased, without the hive's name."""
    raw = open(path, 'rb').read()
    text = raw.decode('utf-16') if raw[:2] in (b'\xff\xfe', b'\xfe\xff') else raw.decode('utf-8', 'replace')
    lines = []
    for line in text.splitlines():
        if lines and lines[-1].endswith('\\') and not lines[-1].startswith('['):
            lines[-1] = lines[-1][:-1] + line.strip()
        else:
            lines.append(line)
    keys, current = {}, None
    for line in lines:
        header = re.match(r'^\[(?:HKEY_[A-Z_]+\\?)?(.*)\]$', line)
        if header:
            current = keys.setdefault(header.group(1).lower(), {})
        elif current is not None and '=' in line and not line.startswith(';'):
            name, data = re.match(r'^(@|"(?:[^"\\]|\\.)*")=(.*)$', line).groups()
            current[name.lower()] = data
    return keys


def under(key, prefix):
    return key == prefix or key.startswith(prefix + '\\')


def entries(keys, prefixes):
    """(key, value name) -> data, with an entry for each key itself so that empty keys count."""
    flat = {}
    for key, values in keys.items():
        if any(under(key, p) for p in prefixes if not p.startswith('~')):
            continue
        if not values and any(under(key, p[1:]) for p in prefixes if p.startswith('~')):
            continue
        flat[(key, None)] = ''
        for name, data in values.items():
            if not (key.endswith('\\helpdir') and name == '@'):
                flat[(key, name)] = data
    return flat


FILE_PATH = re.compile(r'"[A-Za-z]:\\\\(?:[^"]*\\\\)?([^"\\]+\.(?:ocx|dll))(, [0-9]+)?"', re.I)


def normal(key, name, data):
    """A value with its file paths named by role only."""
    data = FILE_PATH.sub(lambda m: '"<file>' + (m.group(2) or '') + '"', data)
    # Wine's RegisterTypeLib keeps LIBFLAG_FHASDISKIMAGE (8) in a library's flags; Windows leaves
    # it out, and so does the installer.
    if key.endswith('\\flags') and name == '@' and re.fullmatch(r'"[0-9]+"', data):
        return '"%d"' % (int(data.strip('"')) & ~8)
    return data


def changes(base, after, prefixes):
    before, now = entries(base, prefixes), entries(after, prefixes)
    out = set()
    for entry in now.keys() | before.keys():
        if before.get(entry) != now.get(entry):
            key, name = entry
            out.add((key, name, None if entry not in now else normal(key, name or '', now[entry])))
    return out


def show(entries_):
    return '\n'.join('  %s %s = %s' % e for e in sorted(entries_, key=lambda e: (e[0], e[1] or '', e[2] or '')))


def main(argv):
    mode, rest = argv[1], argv[2:]
    if mode == 'added':
        for key, name, data in sorted(changes(load(rest[0]), load(rest[1]), []),
                                      key=lambda e: (e[0], e[1] or '')):
            print(key, name or '', data)
        return 0
    if mode == 'same':
        diff = changes(load(rest[0]), load(rest[1]), [p.lower() for p in rest[2:]])
        if diff:
            print('registry differs:\n' + show(diff))
            return 1
        return 0
    if mode == 'equal-changes':
        prefixes = [p.lower() for p in rest[3:]]
        base = load(rest[0])
        a, b = changes(base, load(rest[1]), prefixes), changes(base, load(rest[2]), prefixes)
        if a != b:
            print('only in the first:\n' + show(a - b))
            print('only in the second:\n' + show(b - a))
            return 1
        print('registry: the same %d entries changed' % len(a))
        return 0
    print(__doc__)
    return 2


if __name__ == '__main__':
    sys.exit(main(sys.argv))
