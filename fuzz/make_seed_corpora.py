#!/usr/bin/env python3
"""Writes the seed corpora of the preference_file, log_store and installed_files fuzz targets.

preference_file: preference files as the settings pages write them, in XML and binary form, and files that
bend each key's type. log_store: short programs of store operations (see LogStoreFuzzer.cpp for the byte
code). installed_files: a selector byte (0 Info.plist, 1 specifier file, 2 plug-in description) and the file,
from the project's own application bundles and specifier files and from hand-written variants. Run it again
after changing it; the output is deterministic.
"""
import datetime
import os
import plistlib

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(HERE)
CORPUS = os.path.join(HERE, "corpus")


def write(target, name, data):
    folder = os.path.join(CORPUS, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as out:
        out.write(data)


def xml(value):
    return plistlib.dumps(value, fmt=plistlib.FMT_XML, sort_keys=True)


def binary(value):
    return plistlib.dumps(value, fmt=plistlib.FMT_BINARY, sort_keys=True)


IGNORED = [{"Application": "Clock", "Bundle Id": "com.apple.mobiletimer", "Icon Path": "/Applications/MobileTimer.app/icon.png"},
           {"Application": "No Id", "Icon Path": "/x.png"},
           {"Application": "Messages", "Bundle Id": "com.apple.MobileSMS", "Icon Path": ""}]
FULL = {"Auto Delete On Badge": True, "Auto Delete Type": 2, "Block Homescreen Alerts": False,
        "Block Lockscreen Alerts": True, "Custom Icons": False, "Hide Read": True, "Items To Keep": 10,
        "Live Pulldown": True, "Statusbar Icons": False, "Music Lockscreen": True, "Music Homescreen": False,
        "Group By": "App", "Redirections": {"Messages": "com.apple.mobilephone", "com.apple.mobilecal": "com.apple.MobileSMS"},
        "Ignored Applications": IGNORED}


def preference_files():
    write("preference_file", "full.xml", xml(FULL))
    write("preference_file", "full.bplist", binary(FULL))
    write("preference_file", "empty-dict.xml", xml({}))
    write("preference_file", "array.xml", xml([FULL]))
    write("preference_file", "empty", b"")
    write("preference_file", "strings-for-scalars.xml", xml({
        "Auto Delete On Badge": "YES", "Hide Read": " -000", "Custom Icons": "t", "Statusbar Icons": "no",
        "Auto Delete Type": "  +12abc", "Items To Keep": "-99999999999999999999", "Live Pulldown": "9"}))
    write("preference_file", "wrong-types.xml", xml({
        "Auto Delete Type": [1], "Items To Keep": {"a": 1}, "Group By": 3, "Redirections": ["x"],
        "Ignored Applications": {"Bundle Id": "x"}, "Hide Read": datetime.datetime(2020, 1, 1), "Custom Icons": b"\x01"}))
    write("preference_file", "numbers-at-the-edges.xml", xml({
        "Items To Keep": 2**63 - 1, "Auto Delete Type": -2**63, "Auto Delete On Badge": 0.0,
        "Block Homescreen Alerts": 1e308, "Music Lockscreen": -0.0}))
    write("preference_file", "numbers-at-the-edges.bplist", binary({
        "Items To Keep": 2**64 - 1, "Auto Delete Type": 4294967296, "Hide Read": 2.5}))
    write("preference_file", "ignored-elements.xml", xml({"Ignored Applications": [
        "com.apple.mobiletimer", {"Bundle Id": 7}, {"Bundle Id": ""}, {"Bundle Id": "a"}, {"Bundle Id": "a"}, []]}))
    write("preference_file", "truncated.xml", xml(FULL)[:700])


# Operations of the log_store program: see LogStoreFuzzer.cpp.
APPEND, DELETE, CLOSE, DAMAGE, TOGETHER, WINDOW, PLUGIN, CHECK = range(8)


def log_store_programs():
    programs = {
        "three-appends": [APPEND, 0, APPEND, 1, APPEND, 4, CHECK],
        "delete-by-case": [APPEND, 0, APPEND, 2, APPEND, 3, DELETE, 0, CHECK, DELETE, 4, CHECK],
        "delete-empties-new": [APPEND, 0, DELETE, 0, CHECK],
        "close-then-delete": [APPEND, 0, APPEND, 1, CLOSE, APPEND, 0, CHECK, DELETE, 0, CHECK, DELETE, 1],
        "delete-while-open": [APPEND, 1, CLOSE, APPEND, 1, WINDOW, DELETE, 1, CHECK, WINDOW, DELETE, 1],
        "together": [APPEND, 0, TOGETHER, 2, CHECK, CLOSE, TOGETHER, 1],
        "cut-new-then-append": [APPEND, 0, APPEND, 1, DAMAGE, 0, 100, APPEND, 2, CHECK],
        "cut-old-then-delete": [APPEND, 0, CLOSE, DAMAGE, 1, 60, DELETE, 0, CHECK],
        "garbage-new-then-close": [APPEND, 0, DAMAGE, 0, 23] + list(b"bplist00\xff\xff\xff") + [CLOSE, CHECK],
        "plugin-records": [PLUGIN, 0x00, PLUGIN, 0x40, PLUGIN, 0xC3, CHECK, PLUGIN, 0x01, PLUGIN, 0x04, PLUGIN, 0x30,
                           PLUGIN, 0x22, PLUGIN, 0x08, CHECK, DELETE, 0],
        "plugin-unwritable-date": [APPEND, 0, PLUGIN, 0x10, APPEND, 1, CHECK, PLUGIN, 0x50, CLOSE, APPEND, 0],
        "not-a-list": [DAMAGE, 0, 1 + 2 * 30] + list(b"<plist><dict></dict></plist>  ") + [APPEND, 0, DELETE, 0],
    }
    for name, program in programs.items():
        write("log_store", name, bytes(program))


def installed_files():
    for app in sorted(os.listdir(os.path.join(SOURCE, "resources", "apps"))):
        with open(os.path.join(SOURCE, "resources", "apps", app, "Info.plist"), "rb") as info:
            write("installed_files", "info-" + app, b"\x00" + info.read())
    info = {"CFBundleIdentifier": "com.example.game", "CFBundleDisplayName": "Game", "CFBundleName": "GameName",
            "CFBundleIconFile": "Icon-72.png", "CFBundleIconFiles": ["Icon.png", "Icon@2x.png"]}
    write("installed_files", "info-binary", b"\x00" + binary(info))
    write("installed_files", "info-no-names", b"\x00" + xml({"CFBundleIdentifier": "com.example.x"}))
    write("installed_files", "info-empty-values", b"\x00" + xml({"CFBundleIdentifier": "", "CFBundleDisplayName": ""}))
    write("installed_files", "info-wrong-types", b"\x00" + xml({"CFBundleIdentifier": 5, "CFBundleIconFile": ["a"]}))
    write("installed_files", "info-icon-outside", b"\x00" + xml({"CFBundleIdentifier": "a", "CFBundleIconFile": "../../../../etc/passwd"}))

    specifiers = os.path.join(SOURCE, "settings", "specifiers")
    for name in sorted(os.listdir(specifiers)):
        with open(os.path.join(specifiers, name), "rb") as page:
            write("installed_files", "specifiers-" + name, b"\x01" + page.read())
    write("installed_files", "specifiers-odd", b"\x01" + xml({"title": "Odd", "items": [
        {"cell": "PSGroupCell", "label": "G", "footerText": "F"},
        {"cell": "PSSwitchCell", "label": 3, "key": "Hide Read", "defaults": "../../../../etc/x", "default": True},
        {"cell": "PSLinkListCell", "label": "L", "validTitles": ["A", "B"], "validValues": [0, {"x": 1}]},
        {"cell": "PSLinkListCell", "label": "M", "validTitles": ["A"], "validValues": [0, 1]},
        {"cell": "PSEditTextCell", "label": "E", "key": "k", "defaults": "net.example", "isNumeric": True},
        {"cell": "PSLinkCell", "label": "K", "detail": "NoSuchClass", "icon": "../icon.png"},
        {"cell": "PSButtonCell", "label": "B", "action": "nothing"}, {"cell": "NoSuchCell"}, "not a dict"]}))

    write("installed_files", "plugin-official", b"\x02" + xml(
        {"Identifier": "net.torvask.weather", "Title": "Weather", "Developer": "Vantle", "Price": 0}))
    write("installed_files", "plugin-priced", b"\x02" + xml(
        {"Identifier": "com.other.tweeter", "Title": "Tweeter", "Developer": "Other", "Price": 0.99}))
    write("installed_files", "plugin-string-price", b"\x02" + binary(
        {"Identifier": "a b", "Title": "../DefaultIcon", "Developer": 5, "Price": "1e40"}))
    write("installed_files", "plugin-odd-values", b"\x02" + xml(
        {"Identifier": ["x"], "Title": "", "Price": -1e-30}))
    write("installed_files", "plugin-not-a-dict", b"\x02" + xml(["Vantle"]))


if __name__ == "__main__":
    preference_files()
    log_store_programs()
    installed_files()
