#!/usr/bin/env python3
"""Writes the seed corpus of the property_list_reader fuzz target into fuzz/corpus/property_list_reader/.

Valid XML and binary lists shaped like the system's files (log files of records, the preference file),
lists at and just past the depth cap the fuzz target uses (16), very deep ones, truncated copies, and
binary lists that break one structural rule each. Python's plistlib makes the well-formed ones; the broken
binary ones are assembled by hand. Run it again after changing it; the output is deterministic.
"""
import datetime
import os
import plistlib
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "property_list_reader")
EPOCH = datetime.datetime(2026, 12, 7, 20, 33, 35)


def records(count):
    apps = [("Messages", "com.apple.MobileSMS"), ("Calendar", "com.apple.mobilecal"), ("Battery", None)]
    out = []
    for i in range(count):
        name, bundle = apps[i % len(apps)]
        record = {"Application": name, "Body": f"Message {i}: caf\u00e9 \u2603 see you at 8?",
                  "Date": EPOCH - datetime.timedelta(minutes=i)}
        if bundle:
            record["Bundle Identifier"] = bundle
        out.append(record)
    return out


PREFERENCES = {
    "Auto Delete On Badge": True, "Auto Delete Type": 2, "Items To Keep": 50, "Group By": "Date",
    "Redirections": {"Messages": "com.apple.mobilephone"},
    "Ignored Applications": [{"Application": "Clock", "Bundle Id": "com.apple.mobiletimer",
                              "Icon Path": "/Applications/MobileTimer.app/icon.png"}],
    "Negative": -7, "Huge": 2**64 - 1, "Real": 0.25, "Data": b"\x00\x01\xfe\xff",
}


def nested_xml(levels):
    return (b'<?xml version="1.0" encoding="UTF-8"?>\n<plist version="1.0">' + b"<array>" * levels +
            b"</array>" * levels + b"</plist>\n")


def binary(objects, top=0, ref_size=None):
    """objects: list of bytes (already encoded, references of width ref_size)."""
    out = bytearray(b"bplist00")
    offsets = []
    for obj in objects:
        offsets.append(len(out))
        out += obj
    table = len(out)
    width = 1 if table < 256 else 2 if table < 65536 else 4
    for offset in offsets:
        out += offset.to_bytes(width, "big")
    out += bytes(6) + bytes([width, ref_size or (1 if len(objects) < 256 else 2)])
    out += struct.pack(">QQQ", len(objects), top, table)
    return bytes(out)


def chain(levels):
    """Arrays each holding the next, with 2-byte references."""
    objs = [b"\xa1" + (i + 1).to_bytes(2, "big") for i in range(levels - 1)] + [b"\xa0"]
    return binary(objs, ref_size=2)


def main():
    os.makedirs(OUT, exist_ok=True)
    files = {}
    log = records(12)
    files["log.xml"] = plistlib.dumps(log, fmt=plistlib.FMT_XML)
    files["log.bplist"] = plistlib.dumps(log, fmt=plistlib.FMT_BINARY)
    files["preferences.xml"] = plistlib.dumps(PREFERENCES, fmt=plistlib.FMT_XML)
    files["preferences.bplist"] = plistlib.dumps(PREFERENCES, fmt=plistlib.FMT_BINARY)
    files["empty-array.xml"] = plistlib.dumps([], fmt=plistlib.FMT_XML)
    files["scalar-string.bplist"] = plistlib.dumps("\u00c4rger \U0001f600", fmt=plistlib.FMT_BINARY)
    files["deep-16.xml"] = nested_xml(16)
    files["deep-17.xml"] = nested_xml(17)
    files["deep-16.bplist"] = chain(16)
    files["deep-17.bplist"] = chain(17)
    files["deep-3000.xml"] = nested_xml(3000)
    files["deep-3000.bplist"] = chain(3000)
    files["comments-cdata.xml"] = (b'<?xml version="1.0"?><!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" '
                                   b'"http://www.apple.com/DTDs/PropertyList-1.0.dtd"><plist version="1.0"><array>'
                                   b'<!-- <array><array> --><string><![CDATA[<dict>]]></string>'
                                   b'<string>&lt;&amp;&#x263A;&#9731;</string></array></plist>')
    files["internal-subset.xml"] = b'<!DOCTYPE plist [<!ENTITY a "aaaa">]><plist><string>&a;</string></plist>'
    for cut in (40, 200, 700):
        files[f"log-truncated-{cut}.xml"] = files["log.xml"][:cut]
    for cut in (20, 150, len(files["log.bplist"]) - 10):
        files[f"log-truncated-{cut}.bplist"] = files["log.bplist"][:cut]
    files["cycle.bplist"] = binary([b"\xa1\x00"])
    files["reference-out-of-range.bplist"] = binary([b"\xa1\x07"])
    files["numeric-key.bplist"] = binary([b"\xd1\x01\x01", b"\x10\x05"])
    files["length-past-end.bplist"] = binary([b"\x5f\x13" + (2**62).to_bytes(8, "big") + b"abc"])
    files["shared-references.bplist"] = binary([b"\xa2" + bytes([i + 1, i + 1]) for i in range(24)] + [b"\x09"])
    files["uid.bplist"] = binary([b"\x80\x01"])
    files["real-nan-date-far.bplist"] = binary(
        [b"\xa2\x01\x02", b"\x23" + struct.pack(">d", float("nan")), b"\x33" + struct.pack(">d", 1e12)])
    for name, data in files.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)
    print(f"{len(files)} files, {sum(map(len, files.values()))} bytes")


if __name__ == "__main__":
    main()
