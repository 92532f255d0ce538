#!/usr/bin/env python3
"""Makes the arithmetic test vectors of the number record.

The oracle is Python's decimal module: the exact result rounded half away
from zero (ROUND_HALF_UP) to 15 digits, then checked against the record's
exponent range (above +99: error 3; below -99: zero). Division by zero is
error 3.

Output: a tar.xz holding one file, arith_vectors.bin, of 28-byte cases:
  byte 0       operation (0 add, 1 subtract, 2 multiply, 3 divide)
  bytes 1-9    first operand, record bytes 0-8
  bytes 10-18  second operand, record bytes 0-8
  bytes 19-27  expected result, record bytes 0-8 (an error value is F0 03 0...)
Bytes 9-11 of every record are zero.

Usage: gen_bcd_vectors.py [--count N] [--seed S] OUT.tar.xz
"""

import argparse
import io
import random
import tarfile
from decimal import Context, Decimal, ROUND_HALF_UP, DivisionByZero, InvalidOperation

CTX = Context(prec=15, rounding=ROUND_HALF_UP, Emax=999999, Emin=-999999, traps=[])
EXACT = Context(prec=400, Emax=999999, Emin=-999999, traps=[])
OPS = ("add", "subtract", "multiply", "divide")
ERROR_MA = bytes([0xF0, 0x03]) + bytes(7)


def record(value):
    """Bytes 0-8 of the record of a Decimal that already has <= 15 digits."""
    if value.is_zero():
        return bytes(9)
    sign, digits, exp = value.as_tuple()
    while digits and digits[-1] == 0 and len(digits) > 1:
        digits = digits[:-1]
        exp += 1
    e = exp + len(digits) - 1
    assert len(digits) <= 15 and -99 <= e <= 99, value
    digits = digits + (0,) * (15 - len(digits))
    ee = e if e >= 0 else e + 100
    n0 = (5 if sign else 0) + (1 if e >= 0 else 0)
    nibbles = [n0, ee // 10, ee % 10] + list(digits) + [0]
    return bytes(nibbles[i] << 4 | nibbles[i + 1] for i in range(0, 18, 2))


def expected(op, a, b):
    if op == 3 and b.is_zero():
        return ERROR_MA
    r = getattr(CTX, OPS[op])(a, b)
    if r.is_zero():
        return bytes(9)
    if r.adjusted() > 99:
        return ERROR_MA
    if r.adjusted() < -99:
        return bytes(9)
    return record(r)


class Maker:
    def __init__(self, rng):
        self.r = rng

    def mantissa(self, digits=None):
        """A 1..15-digit integer without trailing zeros, first digit non-zero."""
        r = self.r
        if digits is None:
            digits = 15 if r.random() < 0.6 else r.randint(1, 15)
        if r.random() < 0.08:  # runs of nines and zeros provoke carries
            body = r.choice("90")
            s = "9" + body * (digits - 1)
        else:
            s = str(r.randint(1, 9)) + "".join(r.choice("0123456789") for _ in range(digits - 1))
        s = s.rstrip("0") or "1"
        return s

    def number(self, e=None, digits=None, sign=None):
        r = self.r
        if e is None:
            e = r.randint(-99, 99)
        m = self.mantissa(digits)
        if sign is None:
            sign = r.random() < 0.5
        return Decimal(("-" if sign else "") + m[0] + "." + m[1:] + "E" + str(e)) if len(m) > 1 \
            else Decimal(("-" if sign else "") + m + "E" + str(e))

    def clamp(self, e):
        return max(-99, min(99, e))


def cases(count, seed):
    rng = random.Random(seed)
    mk = Maker(rng)
    out = []

    def add(op, a, b):
        out.append((op, a, b))

    per = count // 10
    # 1. Add and subtract with close exponents: carries, alignment, rounding.
    for _ in range(3 * per):
        op = rng.randint(0, 1)
        a = mk.number()
        d = rng.choice([0, 0, 1, 1, 2, 3]) if rng.random() < 0.5 else rng.randint(0, 24)
        eb = mk.clamp(a.adjusted() - d if rng.random() < 0.5 else a.adjusted() + d)
        add(op, a, mk.number(eb))
    # 2. Cancellation: b within a few units of the last place of a.
    for _ in range(per):
        a = mk.number(digits=15)
        ulp = Decimal(1).scaleb(a.adjusted() - 14)
        b = EXACT.add(a, EXACT.multiply(ulp, Decimal(rng.randint(-3, 3))))
        if abs(b.adjusted()) > 99 or len(b.as_tuple().digits) > 15:
            continue
        if rng.random() < 0.3:  # or a tail far below, borrowing through the digits
            tail = mk.number(e=mk.clamp(a.adjusted() - rng.randint(15, 22)), sign=a.is_signed())
            add(1, a, tail)
        add(1 if rng.random() < 0.5 else 0, a, b if rng.random() < 0.5 else -b)
    # 3. Ties at the 16th digit.
    for _ in range(per):
        kind = rng.randint(0, 2)
        a = mk.number(digits=15)
        if kind == 0:  # a + 5 * 10^(e - 15) and the like
            b = Decimal(rng.choice([5, -5, 15, 25, 95])).scaleb(a.adjusted() - 15)
            if abs(b.adjusted()) <= 99:
                add(rng.randint(0, 1), a, b)
        elif kind == 1:  # products of 16 digits ending in 5
            f = Decimal(rng.choice(["1.5", "2.5", "0.5", "5", "7.5", "12.5", "3.5", "1.25"]))
            add(2, a, f.scaleb(rng.randint(-3, 3)))
        else:  # halves, quarters and eighths of odd 15-digit numbers
            add(3, a, Decimal(rng.choice([2, 4, 8, 20, 40, 80, 16])).scaleb(rng.randint(-2, 2)))
    # 4. Multiply and divide over the whole range, overflow and underflow.
    for _ in range(3 * per):
        op = rng.randint(2, 3)
        a = mk.number()
        if rng.random() < 0.5:
            target = rng.choice([99, 100, -99, -100, -101, 98])
            eb = target - a.adjusted() if op == 2 else a.adjusted() - target
            b = mk.number(mk.clamp(eb))
        else:
            b = mk.number()
        add(op, a, b)
    # 5. Near the largest value and the smallest, all operations.
    big = Decimal("9.99999999999999E+99")
    small = Decimal("1E-99")
    for _ in range(per // 2):
        op = rng.randint(0, 3)
        a = rng.choice([big, -big, small, -small, mk.number(rng.choice([99, 98, -99, -98]))])
        b = mk.number(rng.choice([99, 85, 84, 0, -1, 1, -99, -85, -98]))
        add(op, a, b)
    # 6. Zeros, integers, division by zero.
    for _ in range(per // 2):
        op = rng.randint(0, 3)
        a = Decimal(rng.randint(-10 ** 6, 10 ** 6))
        b = Decimal(rng.randint(-50, 50)) if rng.random() < 0.7 else Decimal(0)
        add(op, a, b)
    rng.shuffle(out)
    return out


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("out")
    ap.add_argument("--count", type=int, default=300000)
    ap.add_argument("--seed", type=int, default=20280)
    args = ap.parse_args()
    blob = bytearray()
    for op, a, b in cases(args.count, args.seed):
        blob.append(op)
        blob += record(a)
        blob += record(b)
        blob += expected(op, a, b)
    info = tarfile.TarInfo("arith_vectors.bin")
    info.size = len(blob)
    info.mtime = 0
    with tarfile.open(args.out, "w:xz", preset=9) as tar:
        tar.addfile(info, io.BytesIO(bytes(blob)))
    print(f"{len(blob) // 28} cases")


if __name__ == "__main__":
    main()
