#!/usr/bin/python3
"""Gives an installer that wixl wrote the same bytes on every build of the same files.

wixl stamps the summary information with the time it ran and with a random package code.
This sets the times to the release's (SOURCE_DATE_EPOCH) and the package code to one made
from the installer's content, so that the code changes exactly when the package does, as
Windows Installer expects.

Usage: msi-settle.py MSI EPOCH
"""
import hashlib
import struct
import sys
import uuid

import olefile  # Debian: python3-olefile

SUMMARY = "\x05SummaryInformation"
PID_REVNUMBER = 9  # the package code
TIME_PIDS = (11, 12, 13)  # last printed, created, last saved
VT_LPSTR, VT_FILETIME = 30, 64
FILETIME_UNIX_OFFSET = 11644473600  # seconds from 1601 to 1970
PLACEHOLDER = b"{00000000-0000-0000-0000-000000000000}"


def fail(message):
    sys.exit(f"msi-settle: {message}")


def summary_properties(path):
    """The summary stream's properties as {pid: (type, value bytes)}; strings without NUL."""
    with olefile.OleFileIO(path) as ole:
        data = ole.openstream(SUMMARY).read()

    def read(fmt, offset):
        end = offset + struct.calcsize(fmt)
        if end > len(data):
            fail("the summary information is cut short")
        return struct.unpack_from(fmt, data, offset)

    (sections,) = read("<I", 24)
    if sections < 1:
        fail("the summary information has no section")
    (section,) = read("<I", 44)
    _, count = read("<II", section)
    properties = {}
    for index in range(count):
        pid, offset = read("<II", section + 8 + 8 * index)
        start = section + offset
        (kind,) = read("<I", start)
        if kind == VT_FILETIME:
            properties[pid] = (kind, data[start + 4 : start + 12])
        elif kind == VT_LPSTR:
            (size,) = read("<I", start + 4)
            properties[pid] = (kind, data[start + 8 : start + 8 + size].rstrip(b"\0"))
    return properties


def replace_exactly(image, old, new, times):
    if image.count(old) != times:
        fail(f"{old!r} is not where it was expected in the file; wixl's layout changed")
    return image.replace(old, new)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    path, epoch = sys.argv[1], int(sys.argv[2])
    with open(path, "rb") as f:
        image = f.read()
    properties = summary_properties(path)

    # Equal times are written once each, so every one of them is replaced.
    release_time = struct.pack("<Q", (epoch + FILETIME_UNIX_OFFSET) * 10**7)
    stamps = [value for pid, (kind, value) in properties.items()
              if pid in TIME_PIDS and kind == VT_FILETIME]
    for stamp in set(stamps):
        image = replace_exactly(image, stamp, release_time, stamps.count(stamp))

    kind, code = properties.get(PID_REVNUMBER, (None, b""))
    if kind != VT_LPSTR or len(code) != len(PLACEHOLDER):
        fail("the installer has no package code")
    image = replace_exactly(image, code, PLACEHOLDER, 1)
    digest = hashlib.sha256(image).digest()
    package_code = "{%s}" % str(uuid.UUID(bytes=digest[:16], version=5)).upper()
    image = image.replace(PLACEHOLDER, package_code.encode())
    with open(path, "wb") as f:
        f.write(image)

    settled = summary_properties(path)
    if settled[PID_REVNUMBER][1] != package_code.encode() or any(
            settled[pid][1] != release_time for pid in TIME_PIDS if pid in settled):
        fail("the summary information did not take the new values")


if __name__ == "__main__":
    main()
