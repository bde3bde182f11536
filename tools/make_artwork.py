#!/usr/bin/python3
"""Draws the launcher's skin and writes its compiled-in resources under res/.

Writes every skin image (8-bit RGBA PNG), the login pop-up bitmap (24-bit BMP whose pure
green pixels are the see-through parts), the default settings file, the uninstall icon, the
defaults archive and the resource manifest res/resources.txt. The results are committed, so
building the launcher needs neither Python nor fonts; run this again only to change the
artwork. The output is reproducible: fixed random seeds and fixed archive times.

Needs Debian's python3-pil and fonts-noto-cjk (hence /usr/bin/python3, which sees the
Debian packages). The drawing itself lives in tools/artwork/.

    tools/make_artwork.py                  # rewrite res/
    tools/make_artwork.py --preview /tmp   # also write composite previews there
"""

import argparse
import pathlib

from artwork.catalogue import EXPECTED_SIZES, png_images
from artwork.defaults import settings_bytes, uninstall_icon_image
from artwork.formats import bmp_bytes, ico_bytes, png_bytes, zip_bytes
from artwork.paint import STATES
from artwork.popup import check_colour_key, popup_bitmap, popup_with_buttons

ROOT = pathlib.Path(__file__).resolve().parent.parent
ICON_FILE_SIZE = 1150  # header 6 + entry 16 + BITMAPINFOHEADER 40 + pixels 1024 + mask 64

MANIFEST_HEAD = """\
# Resources compiled into the launcher: <TYPE> <id> <file>.
# Written by tools/make_artwork.py together with the files it lists; change the script
# rather than this list.
"""


def write(path, data):
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(data)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--res", type=pathlib.Path, default=ROOT / "res",
                        help="resource folder to write (default: the repository's res/)")
    parser.add_argument("--preview", type=pathlib.Path,
                        help="also write composite previews into this folder")
    args = parser.parse_args()
    res = args.res

    images = png_images()
    if set(images) != set(EXPECTED_SIZES):
        raise SystemExit(f"drawn {sorted(images)}, expected {sorted(EXPECTED_SIZES)}")
    manifest = [MANIFEST_HEAD]
    for rid in sorted(images):
        img = images[rid]
        if img.size != EXPECTED_SIZES[rid]:
            raise SystemExit(f"PNG {rid} is {img.size}, expected {EXPECTED_SIZES[rid]}")
        write(res / "png" / f"{rid}.png", png_bytes(img))
        manifest.append(f"PNG {rid} png/{rid}.png\n")

    popup = popup_bitmap()
    check_colour_key(popup, "the pop-up bitmap")
    # The round buttons are drawn over the bitmap; their edges must not turn near-green.
    for state in STATES:
        check_colour_key(popup_with_buttons(popup, images, state),
                         f"the pop-up with its {state} buttons")
    write(res / "bitmap" / "318.bmp", bmp_bytes(popup))
    manifest.append("BITMAP 318 bitmap/318.bmp\n")

    settings = settings_bytes()
    icon = ico_bytes(uninstall_icon_image())
    if len(icon) != ICON_FILE_SIZE:
        raise SystemExit(f"uninstall.ico is {len(icon)} bytes, expected {ICON_FILE_SIZE}")
    write(res / "defaults" / "systemset.ini", settings)
    write(res / "defaults" / "uninstall.ico", icon)
    write(res / "zip" / "269.zip",
          zip_bytes([("systemset.ini", settings), ("uninstall.ico", icon)]))
    manifest.append("ZIP 269 zip/269.zip\n")

    (res / "resources.txt").write_text("".join(manifest), encoding="ascii")

    if args.preview:
        from artwork.preview import write_previews  # only needed for previews
        write_previews(args.preview, images, popup)


if __name__ == "__main__":
    main()
