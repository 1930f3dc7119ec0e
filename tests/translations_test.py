#!/usr/bin/env python3
"""The desktop program is ready for translation: lupdate finds its texts in the sources, the
committed translations/disctrove_en.ts holds exactly those, and no text is shown from a plain
QStringLiteral that a translator would never see.

Usage: translations_test.py LUPDATE SOURCE_DIR
"""
import pathlib
import re
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

# Texts a user sees, one from each kind of place: a page, a free function, a core text.
EXPECTED = [
    ("disctrove::ui::ReleaseChoiceDialog", "Choose the release"),
    ("disctrove::ui::DesktopDialogs", "Select a Folder"),
    ("disctrove::ui::MiscPage", "Contact CDDB on refresh"),
    ("disctrove::ui::SecurePage", "Test && Copy: read every track twice and compare the two reads"),
    ("disctrove::ui::FormatPage", "Same as input"),
    ("disctrove::ui::OggPage", "%1 (%2 kbps)"),
    ("disctrove::ui::OptionsPage", "Please enter an integer between %1 and %2."),
    ("disctrove::ui::ConversionProgressDialog", "Exit confirmation"),
    ("disctrove::skin::TipOfTheDay", "&Show tips at start-up"),
    ("Disctrove", "Contacting CDDB server..."),
    ("Disctrove", "Cannot create output file"),
]

# Literals that are not words for a reader: the product's name, option names, an extension,
# names of services, the D-Bus names of the desktop's notifications, and the dash that joins
# an artist and an album.
NOT_FOR_TRANSLATION = {
    "Disctrove", "--settings", "--image", "wav", "CDDB", "AccurateRip", "CTDB",
    "org.disctrove.Disctrove", "org.freedesktop.Notifications", "/org/freedesktop/Notifications",
    "Notify", "desktop-entry", r"%1 \u2014 %2",
}

LITERAL = re.compile(r'QStringLiteral\(\s*"((?:[^"\\]|\\.)*)"')


def messages(ts_file):
    root = ET.parse(ts_file).getroot()
    return {(context.findtext("name"), message.findtext("source"))
            for context in root.iter("context") for message in context.iter("message")}


def main():
    lupdate, source = sys.argv[1], pathlib.Path(sys.argv[2])
    failures = []
    with tempfile.TemporaryDirectory() as work:
        fresh = pathlib.Path(work) / "disctrove_en.ts"
        subprocess.run([lupdate, "-silent", "-source-language", "en", "-locations", "none",
                        "-I", str(source / "src"), str(source / "src/ui"), str(source / "src/skin"),
                        "-ts", str(fresh)], check=True)
        found = messages(fresh)
    for expected in EXPECTED:
        if expected not in found:
            failures.append(f"lupdate does not find {expected}")
    committed = messages(source / "translations/disctrove_en.ts")
    for context, text in sorted(found - committed):
        failures.append(f"not in translations/disctrove_en.ts: {context}: {text!r} "
                        "(run ninja update_translations)")
    for context, text in sorted(committed - found):
        failures.append(f"no longer in the sources: {context}: {text!r} "
                        "(run ninja update_translations)")
    for path in sorted([*source.glob("src/ui/**/*.cpp"), *source.glob("src/skin/*.cpp")]):
        for match in LITERAL.finditer(path.read_text()):
            text = match.group(1)
            if re.search(r"[A-Za-z]", text) and text not in NOT_FOR_TRANSLATION:
                line = path.read_text().count("\n", 0, match.start()) + 1
                failures.append(f"{path.relative_to(source)}:{line}: {text!r} without tr()")
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
