#!/usr/bin/env python3
"""Compares the match and mask of the instruction-table rows with the public
RISC-V encoding database (riscv-opcodes), for review; not part of the build.

    check_encodings.py [-v] [--opcodes DIR] [table source ...]

A row is accepted when the database has an encoding with the same match and
mask under the row's name or under the name its identifier is taken from
(insn_id("...")). Rows whose values the table defines itself (pseudo forms,
hints, draft and custom instructions) are listed as such; any other row that
disagrees with the database is reported and makes the exit status 1.
"""
import argparse
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_TABLES = [os.path.join(HERE, '..', 'src', 'tables', name)
                  for name in ('scalar.cpp', 'vector.cpp', 'packed_simd.cpp', 'crypto.cpp',
                               'small_extensions.cpp')]
FORMATS = os.path.join(HERE, '..', 'src', 'tables', 'insn_formats.h')

# Rows whose match or mask the table states itself rather than taking the
# published encoding; the database either lacks them or encodes them otherwise.
OWN_VALUES = {
    'unimp', 'c_unimp', 'prefetch_r', 'prefetch_w', 'prefetch_i', 'j', 'jal', 'jr', 'jalr', 'ret',
    'nop', 'li', 'mv', 'seqz', 'not', 'sext_w', 'snez', 'beqz', 'bnez', 'bltz', 'bgez', 'uret',
    'csrr', 'csrw', 'csrs', 'csrc', 'csrwi', 'csrsi', 'csrci', 'zext_w', 'zext_h', 'rev8',
    'rev8_h', 'orc_b', 'c_nop', 'c_ret', 'cm_jt', 'lpad', 'rev',
    # draft bit-manipulation
    'bdecompress', 'bdecompressw', 'bcompress', 'bcompressw', 'bfp', 'bfpw', 'gorcw', 'grevw',
    'packuw', 'shfl', 'shflw', 'unshfl', 'unshflw', 'fsl', 'fslw', 'gorciw', 'greviw', 'shfli',
    'unshfli', 'crc32_b', 'crc32_h', 'crc32_w', 'crc32_d', 'crc32c_b', 'crc32c_h', 'crc32c_w',
    'crc32c_d',
    # draft packed-SIMD and bit-manipulation (zbpbo)
    'fsri',
}


def parse_fields(tokens):
    match = mask = 0
    for t in tokens:
        m = re.match(r'^(\d+)\.\.(\d+)=(\S+)$', t)
        if m:
            hi, lo, v = int(m[1]), int(m[2]), int(m[3], 0)
            width = hi - lo + 1
            mask |= ((1 << width) - 1) << lo
            match |= (v & ((1 << width) - 1)) << lo
            continue
        m = re.match(r'^(\d+)=(\S+)$', t)
        if m:
            bit, v = int(m[1]), int(m[2], 0)
            mask |= 1 << bit
            match |= (v & 1) << bit
    return match, mask


def load_database(root):
    encodings = {}
    for dirpath, _, files in os.walk(root):
        for name in files:
            for line in open(os.path.join(dirpath, name)):
                tokens = line.split('#')[0].split()
                if not tokens or tokens[0] == '$import':
                    continue
                if tokens[0] == '$pseudo_op':
                    insn, fields = tokens[2], tokens[3:]
                else:
                    insn, fields = tokens[0], tokens[1:]
                key = insn.replace('.', '_')
                encodings.setdefault(key, set()).add(parse_fields(fields))
    return encodings


def load_fixed_masks():
    masks = {}
    text = open(FORMATS).read()
    for m in re.finditer(r'insn_format_t (\w+)\{\s*([^,]+),\s*(0x[0-9a-f]+|0),', text):
        masks[m[1]] = int(m[3], 16)
    return masks


ROW = re.compile(r'\{(\w+),\s*"(\w+)",\s*(?:"\w+",\s*)?(0x[0-9a-fA-F]+|custom_match\(0x[0-9a-f]+\))'
                 r'(?:,\s*(0x[0-9a-fA-F]+|custom_mask))?(?:,\s*insn_id\("(\w+)"\))?')


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--opcodes', default='/work/shared/riscv-opcodes/extensions')
    ap.add_argument('-v', '--verbose', action='store_true', help='also list the own values')
    ap.add_argument('tables', nargs='*', default=DEFAULT_TABLES)
    args = ap.parse_args()
    db = load_database(args.opcodes)
    fixed = load_fixed_masks()
    bad = 0
    for path in args.tables:
        for lineno, line in enumerate(open(path), 1):
            for m in ROW.finditer(line):
                fmt, name, match, mask, id_name = m.groups()
                if match.startswith('custom_match'):
                    continue  # custom instructions: not in the database
                match = int(match, 16)
                if mask is None:
                    mask = fixed.get(fmt) or None
                else:
                    mask = int(mask, 16)
                if mask is None:
                    print(f'{path}:{lineno}: {name}: no mask found')
                    bad += 1
                    continue
                known = db.get(name, set()) | db.get(id_name or '', set())
                if (match, mask) in known:
                    continue
                if name in OWN_VALUES:
                    if args.verbose:
                        print(f'{path}:{lineno}: {name}: own value 0x{match:08x}/0x{mask:08x}')
                    continue
                print(f'{path}:{lineno}: {name}: 0x{match:08x}/0x{mask:08x} differs from the '
                      f'database {sorted((hex(a), hex(b)) for a, b in known)}')
                bad += 1
    return 1 if bad else 0


if __name__ == '__main__':
    sys.exit(main())
