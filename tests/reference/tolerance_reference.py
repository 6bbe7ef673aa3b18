#!/usr/bin/env python3
"""Random small tables and option sets: every verdict of `tallir-diff --json --all` must be the
one worked out here, straight from the rules of the manual page, with Python's own floats.

usage: tolerance_reference.py TALLIR_DIFF [RUNS] [SEED]
"""
import json
import math
import os
import random
import re
import subprocess
import sys
import tempfile

DECIMAL = re.compile(r'^\s*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?\s*$')
FORTRAN = re.compile(r'^\s*[+-]?(\d+\.?\d*|\.\d+)([eEdD][+-]?\d+)?\s*$')
NAN_INF = re.compile(r'^\s*[+-]?(nan|inf|infinity)\s*$', re.IGNORECASE)


def value(text, nan, fortran):
    """The number a cell stands for under the options, or None for a text."""
    if (FORTRAN if fortran else DECIMAL).match(text):
        x = float(re.sub('[dD]', 'e', text))
        return x if math.isfinite(x) else None
    if nan and NAN_INF.match(text):
        return float(text.strip())
    return None


def verdict(a, b, column, o):
    """"" when the cells agree, else "S", "D" or the agreement with two decimals."""
    if a == b:
        return ''
    x1, x2 = value(a, o['nan'], o['fortran']), value(b, o['nan'], o['fortran'])
    if x1 is None or x2 is None:
        return 'D'
    if not (math.isfinite(x1) and math.isfinite(x2)):
        return '' if (math.isnan(x1) and math.isnan(x2)) or x1 == x2 else 'D'
    if x1 == x2:
        return ''
    difference = abs(x2 - x1)
    agreement = -math.log10(difference / abs(x1) if x1 != 0 else abs(x2))
    absolute, relative = o['abs'], o['rel']
    own = o['columns'].get(column, {})
    absolute = own.get('a', absolute)
    relative = own.get('r', relative)
    reference = {'1': abs(x1), '2': abs(x2), 'max': max(abs(x1), abs(x2)), 'min': min(abs(x1), abs(x2))}[o['to']]
    same = (o['precision'] is not None and agreement > o['precision']) \
        or (absolute is not None and difference <= absolute) \
        or (relative is not None and difference <= relative * reference)
    if same:
        return 'S'
    text = '%.2f' % agreement
    return '0.00' if text == '-0.00' else text


def number_text(rng, x, fortran):
    text = rng.choice(['%.6g', '%.8g', '%.3f', '%g', '%.4e']) % x
    if fortran and 'e' in text and rng.random() < 0.5:
        text = text.replace('e', rng.choice('dD'))
    return text


def cell_pair(rng, o):
    kind = rng.random()
    if kind < 0.08:
        return rng.choice(['abc', 'x1', '-']), rng.choice(['abc', 'abd', '1.5'])
    if o['nan'] and kind < 0.2:
        specials = ['nan', 'NaN', '-nan', 'inf', '-Inf', 'Infinity', '+inf', '1.5', '0']
        return rng.choice(specials), rng.choice(specials)
    x1 = rng.choice([0.0, rng.uniform(-1, 1), rng.uniform(-1e3, 1e3), rng.uniform(-1e-6, 1e-6)])
    if rng.random() < 0.15:
        x2 = 0.0
    else:
        x2 = x1 * (1 + rng.choice([0, 1e-9, 1e-6, 1e-4, 1e-2, 0.5, -2]) * rng.random()) + rng.choice([0, 0, 1e-7, 1e-3])
    return number_text(rng, x1, o['fortran']), number_text(rng, x2, o['fortran'])


def options(rng, cols):
    o = {'precision': None, 'abs': None, 'rel': None, 'to': '1', 'columns': {}, 'nan': rng.random() < 0.3,
         'fortran': rng.random() < 0.3}
    arguments = []
    if rng.random() < 0.3:
        o['precision'] = rng.choice([3, 6, 8])
        arguments += ['-s', '-p', str(o['precision'])]
    tolerances = [1e-9, 1e-6, 1e-4, 1e-2, 0.5, 1, 2]
    if rng.random() < 0.5:
        o['abs'] = rng.choice(tolerances)
        arguments += ['-a', repr(o['abs'])]
    if rng.random() < 0.5:
        o['rel'] = rng.choice(tolerances)
        arguments += ['-r', repr(o['rel'])]
    for _ in range(rng.randrange(3)):
        column, kind, x = rng.randrange(cols), rng.choice('ar'), rng.choice(tolerances)
        o['columns'].setdefault(column, {})[kind] = x
        arguments += ['-' + kind, '%d=%r' % (column + 1, x)]
    if rng.random() < 0.6:
        o['to'] = rng.choice(['1', '2', 'max', 'min'])
        arguments += ['--rel-to', o['to']]
    arguments += ['--nan'] if o['nan'] else []
    arguments += ['--fortran'] if o['fortran'] else []
    return o, arguments


def main():
    program = sys.argv[1]
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 150
    rng = random.Random(int(sys.argv[3]) if len(sys.argv) > 3 else 29)
    failures = 0
    with tempfile.TemporaryDirectory() as folder:
        for run in range(runs):
            rows, cols = rng.randint(1, 5), rng.randint(1, 4)
            o, arguments = options(rng, cols)
            pairs = [[cell_pair(rng, o) for _ in range(cols)] for _ in range(rows)]
            paths = []
            for side in range(2):
                paths.append(os.path.join(folder, 'file%d.txt' % (side + 1)))
                with open(paths[-1], 'w') as out:
                    out.write(''.join(' '.join(p[side] for p in row) + '\n' for row in pairs))
            done = subprocess.run([program, '--json', '--all'] + arguments + paths, capture_output=True, text=True,
                                  env=dict(os.environ, LC_ALL='C.UTF-8'))
            if done.returncode not in (0, 1):
                print('run %d: status %d: %s %s' % (run, done.returncode, arguments, done.stderr))
                failures += 1
                continue
            got = {(c['row'], c['col']): c['verdict'].replace('-0.00', '0.00') for c in json.loads(done.stdout)['cells']}
            expected = {}
            for r, row in enumerate(pairs):
                for c, (a, b) in enumerate(row):
                    v = verdict(a, b, c, o)
                    if v:
                        expected[(r + 1, c + 1)] = v
            if got != expected:
                failures += 1
                for cell in sorted(set(got) | set(expected)):
                    if got.get(cell) != expected.get(cell):
                        r, c = cell
                        print('run %d %s: R%d C%d %r vs %r: tallir-diff %r, reference %r' % (
                            run, ' '.join(arguments), r, c, pairs[r - 1][c - 1][0], pairs[r - 1][c - 1][1], got.get(cell),
                            expected.get(cell)))
            beyond = sum(1 for v in expected.values() if v != 'S')
            if (done.returncode == 1) != (beyond > 0):
                failures += 1
                print('run %d %s: status %d with %d cells beyond' % (run, ' '.join(arguments), done.returncode, beyond))
    print('%d runs, %d failing' % (runs, failures))
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
