"""The defaults archive's members: the shipped settings file and the uninstall icon."""

from artwork.paint import *  # noqa: F401,F403 (the drawing vocabulary)


SETTINGS_LINES = [
    "[Info]", "code=", "pwd=", "rem=1", "[Setting]", "soundoff=0", "autostart=0",
    "autologin=0", "screenshots=Ctrl+Shift+A", "screentoggle=F10", "fullscreen=F11",
    "[Start]", "firststart=1",
]


def settings_bytes():
    data = "".join(line + "\r\n" for line in SETTINGS_LINES).encode("ascii")
    assert len(data) == 160 and len(SETTINGS_LINES) == 13
    return data


def uninstall_icon_image():
    """A gold waste bin, drawn on whole pixels so it stays sharp at 16 x 16."""
    size = (16, 16)
    shape = Image.new("L", size, 0)
    d = ImageDraw.Draw(shape)
    d.rectangle([6, 1, 9, 2], fill=255)                       # handle
    d.rectangle([2, 3, 13, 4], fill=255)                      # lid
    d.polygon([(3, 6), (12, 6), (11, 14), (4, 14)], fill=255)  # body
    slots = Image.new("L", size, 0)
    ImageDraw.Draw(slots).line([(6, 8), (6, 12)], fill=255)
    ImageDraw.Draw(slots).line([(9, 8), (9, 12)], fill=255)
    outline = shape.filter(ImageFilter.MaxFilter(3))
    img = Image.new("RGBA", size, (0, 0, 0, 0))
    img = over(img, paint(outline, (24, 14, 6, 255)))
    img = over(img, paint(shape, gold_fill(size, 1, 15)))
    img = over(img, paint(slots, CRIMSON_DARK))
    return img
