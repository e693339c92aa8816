#!/usr/bin/env python3
"""pe_size.py EXE WHOLE_LIMIT CODE_LIMIT: fails when the file is larger than
WHOLE_LIMIT bytes, or larger than CODE_LIMIT bytes without its .rsrc section."""
import struct
import sys

path, whole_limit, code_limit = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
data = open(path, "rb").read()
pe = struct.unpack_from("<I", data, 0x3C)[0]
if data[pe:pe + 4] != b"PE\0\0":
    sys.exit("%s: no PE header" % path)
count = struct.unpack_from("<H", data, pe + 6)[0]
table = pe + 24 + struct.unpack_from("<H", data, pe + 20)[0]
rsrc = 0
for i in range(count):
    name, _, _, raw = struct.unpack_from("<8sIII", data, table + 40 * i)
    if name.rstrip(b"\0") == b".rsrc":
        rsrc += raw
whole = len(data)
print("whole %d bytes (limit %d), without resources %d bytes (limit %d)"
      % (whole, whole_limit, whole - rsrc, code_limit))
sys.exit(0 if whole <= whole_limit and whole - rsrc <= code_limit else 1)
