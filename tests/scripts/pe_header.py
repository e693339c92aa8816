"""Prints a PE file's link time, its header checksum and the checksum its
bytes call for, as "time=... checksum=... computed=..." in hexadecimal."""
import struct
import sys

data = open(sys.argv[1], "rb").read()
header = struct.unpack_from("<I", data, 0x3C)[0]
if data[header:header + 4] != b"PE\0\0":
    sys.exit(sys.argv[1] + ": not a PE file")
stamp = struct.unpack_from("<I", data, header + 8)[0]
field = header + 24 + 64
# The loader's sum: 16-bit words folded with carry, the checksum field
# itself left out, then the file's length added.
total = 0
for offset in range(0, len(data) - 1, 2):
    if field <= offset < field + 4:
        continue
    total += data[offset] | data[offset + 1] << 8
    total = (total & 0xFFFF) + (total >> 16)
if len(data) % 2:
    total += data[-1]
    total = (total & 0xFFFF) + (total >> 16)
computed = (total + len(data)) & 0xFFFFFFFF
print("time=%08x checksum=%08x computed=%08x"
      % (stamp, struct.unpack_from("<I", data, field)[0], computed))
