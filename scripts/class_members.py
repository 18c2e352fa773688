#!/usr/bin/env python3
"""Counts the members (methods and fields, constructors and deleted ones included) of each class or
struct declared in the given headers (or the headers under the given folders), from the
declarations at the top level of its body, largest first. With --max N it prints only the classes
above N and fails when there is one. Usage: scripts/class_members.py [--max N] PATH..."""
import os, re, sys

def strip(text):
    text = re.sub(r'//[^\n]*', '', text)
    text = re.sub(r'/\*.*?\*/', '', text, flags=re.S)
    text = re.sub(r'"(?:\\.|[^"\\])*"', '""', text)
    return text

def classes(text):
    for m in re.finditer(r'\b(class|struct)\s+(\w+)(\s+final)?\s*(:[^{;]*)?\{', text):
        start = m.end(); depth = 1; i = start
        while depth and i < len(text):
            depth += {'{': 1, '}': -1}.get(text[i], 0); i += 1
        yield m.group(1), m.group(2), text[start:i - 1]

def members(body):
    count, depth, stmt = 0, 0, ''
    fields, methods = 0, 0
    i = 0
    while i < len(body):
        c = body[i]
        if c == '{':
            if depth == 0:
                head = stmt.strip()
                if re.match(r'(struct|class|enum|union)\b', head) and '(' not in head:
                    stmt = '__nested__'
                elif '(' in head and not re.search(r'[=]\s*$', head):
                    methods += 1; stmt = '__counted__'
            depth += 1
        elif c == '}':
            depth -= 1
            if depth == 0 and stmt == '__counted__': stmt = ''
        elif c == ';' and depth == 0:
            s = stmt.strip()
            if s and s not in ('__counted__', '__nested__') and not re.match(r'(using|friend|typedef|static_assert)\b', s):
                s = re.sub(r'^(public|private|protected)\s*:', '', s).strip()
                if s:
                    if re.search(r'\w\s*\([^)]*\)\s*(const)?\s*(override|final|noexcept)?\s*(=\s*(0|default|delete))?\s*$', s) and not re.search(r'\w\s*=\s*[^=]*\(', s.split('(')[0]):
                        methods += 1
                    else:
                        fields += 1
            stmt = ''
        elif depth == 0:
            stmt += c
            if re.search(r'(public|private|protected)\s*:\s*$', stmt) and not stmt.rstrip().endswith('::'):
                stmt = ''
        i += 1
    return methods, fields

args = sys.argv[1:]
limit = None
if args[:1] == ['--max']:
    limit, args = int(args[1]), args[2:]
paths = []
for arg in args:
    if os.path.isdir(arg):
        paths += sorted(os.path.join(d, f) for d, _, fs in os.walk(arg) for f in fs if f.endswith('.hpp'))
    else:
        paths.append(arg)
rows = []
for path in paths:
    for kind, name, body in classes(strip(open(path).read())):
        m, f = members(body)
        rows.append((m + f, m, f, name, path))
over = [row for row in rows if limit is None or row[0] > limit]
for total, m, f, name, path in sorted(over, reverse=True):
    print(f"{total:4d} {m:4d} {f:4d}  {name}  ({path})")
if limit is not None:
    print(f"{len(over)} classes above {limit} members")
    sys.exit(1 if over else 0)
