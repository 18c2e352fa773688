#!/usr/bin/env python3
"""Counts the members (methods and fields, constructors and deleted ones included) of each class or
struct declared in the given headers (or the headers under the given folders), from the
declarations at the top level of its body, largest first. With --max N it prints only the classes
above N and fails when there is one.
With --public-fields it lists instead the public fields that can be changed from outside (not
static, const or constexpr) of the classes with behaviour: those with a member function other
than a comparison or a const, static, defaulted or deleted one, or a constructor; a value record
(with a defaulted equality) may keep public fields. It fails when it lists one. --except NAME
(repeatable) leaves a class out of either check.
Usage: scripts/class_members.py [--max N | --public-fields] [--except NAME]... PATH..."""
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

ACCESS = re.compile(r'(public|private|protected)\s*:\s*$')
# A value record: equal when its fields are equal.
VALUE = re.compile(r'operator\s*(==|<=>)\s*\([^)]*\)\s*const\s*=\s*default')
# Member functions that read or set up a record and so give it no behaviour of its own:
# comparisons, defaulted or deleted ones, const and static ones, constructors.
PLAIN = re.compile(r'(operator\s*(==|!=|<=>|<)\s*\(|=\s*(default|delete)\s*$|\)\s*const\s*(noexcept\s*)?(=|$)|^static\b)')
CONSTANT = re.compile(r'(static|constexpr|const|inline\s+static|inline\s+constexpr)\b')


def is_function(declaration):
    """Whether a declaration names a function: its first parenthesis outside template arguments
    comes before any initialiser."""
    if re.search(r'\boperator\b', declaration.split('(')[0]): return True
    angles = 0
    for c in declaration:
        if c == '<': angles += 1
        elif c == '>': angles = max(angles - 1, 0)
        elif angles == 0 and c == '=': return False
        elif angles == 0 and c == '(': return True
    return False


def members(body, kind='class', owner=''):
    """Answers (methods, fields, public mutable field declarations, whether it has behaviour, the
    nested classes only it can reach)."""
    depth, stmt = 0, ''
    fields, methods = 0, 0
    access = 'public' if kind == 'struct' else 'private'
    public_fields, behaviour, hidden = [], False, []

    def method(declaration):
        nonlocal methods, behaviour
        methods += 1
        name = re.sub(r'^(explicit|constexpr|inline)\s+', '', declaration.split('(')[0].strip())
        constructor = re.fullmatch(r'~?\s*' + re.escape(owner), name) is not None
        if not constructor and not PLAIN.search(declaration.strip()): behaviour = True

    i = 0
    while i < len(body):
        c = body[i]
        if c == '{':
            if depth == 0:
                head = stmt.strip()
                if head.count('(') > head.count(')'):
                    pass  # a lambda or braced default argument inside a parameter list
                elif re.match(r'(struct|class|enum|union)\b', head) and '(' not in head:
                    nested = re.match(r'(?:struct|class|union)\s+(\w+)', head)
                    if nested and access != 'public': hidden.append(nested.group(1))
                    stmt = '__nested__'
                elif '(' in head and not re.search(r'[=]\s*$', head):
                    method(head); stmt = '__counted__'
            depth += 1
        elif c == '}':
            depth -= 1
            if depth == 0 and stmt == '__counted__': stmt = ''
        elif c == ';' and depth == 0:
            s = stmt.strip()
            if s and s not in ('__counted__', '__nested__') and not re.match(r'(using|friend|typedef|static_assert)\b', s):
                s = re.sub(r'^(public|private|protected)\s*:', '', s).strip()
                if s:
                    if is_function(s):
                        method(s)
                    else:
                        fields += 1
                        if access == 'public' and not CONSTANT.match(s):
                            public_fields.append(' '.join(s.split()))
            stmt = ''
        elif depth == 0:
            stmt += c
            found = ACCESS.search(stmt)
            if found and not stmt.rstrip().endswith('::'):
                access = found.group(1)
                stmt = ''
        i += 1
    if VALUE.search(body): behaviour = False
    return methods, fields, public_fields, behaviour, hidden


args = sys.argv[1:]
limit, public_fields, excepted = None, False, set()
while args[:1] and args[0].startswith('--'):
    if args[0] == '--max':
        limit, args = int(args[1]), args[2:]
    elif args[0] == '--public-fields':
        public_fields, args = True, args[1:]
    elif args[0] == '--except':
        excepted.add(args[1]); args = args[2:]
    else:
        sys.exit(f"unknown option {args[0]}")
paths = []
for arg in args:
    if os.path.isdir(arg):
        paths += sorted(os.path.join(d, f) for d, _, fs in os.walk(arg) for f in fs if f.endswith('.hpp'))
    else:
        paths.append(arg)
rows, open_fields = [], []
for path in paths:
    found = [(name, members(body, kind, name)) for kind, name, body in classes(strip(open(path).read()))]
    # A class nested in another's private part is that class's own business.
    hidden = {inner for _, counted in found for inner in counted[4]}
    for name, (m, f, fields, behaviour, _) in found:
        rows.append((m + f, m, f, name, path))
        if behaviour and name not in excepted and name not in hidden:
            open_fields += [(path, name, field) for field in fields]
if public_fields:
    for path, name, field in open_fields:
        print(f"{name}: {field}  ({path})")
    print(f"{len(open_fields)} public mutable fields in classes with behaviour")
    sys.exit(1 if open_fields else 0)
over = [row for row in rows if (limit is None or row[0] > limit) and row[3] not in excepted]
for total, m, f, name, path in sorted(over, reverse=True):
    print(f"{total:4d} {m:4d} {f:4d}  {name}  ({path})")
if limit is not None:
    print(f"{len(over)} classes above {limit} members")
    sys.exit(1 if over else 0)
