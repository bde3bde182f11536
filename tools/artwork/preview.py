"""Previews: the images put together the way the windows show them (never committed)."""

import io

from artwork.paint import *  # noqa: F401,F403 (the drawing vocabulary)
from artwork.catalogue import BUTTON_LABELS, CAPTION_IDS
from artwork.chrome import STRIP_H
from artwork.defaults import uninstall_icon_image
from artwork.formats import ico_bytes
from artwork.popup import popup_with_buttons


# Previews: the images put together the way the windows show them. Written only on request
# and never committed.

TOOLBAR_LAYOUT = [  # (button, offset of its left edge from the right edge, button size)
    ("close", 28, (28, 26)), ("restore", 57, (28, 26)), ("minimize", 86, (28, 26)),
    ("fullscreen", 192, (85, 24)), ("bosskey", 294, (97, 24)), ("clearcache", 384, (85, 24)),
    ("refresh", 467, (78, 24)), ("server", 531, (59, 24)),
]


def button_ids(name):
    if name in CAPTION_IDS:
        return CAPTION_IDS[name]
    return BUTTON_LABELS[name][0]


def title_strip(images, width, state, maximized=True):
    left, middle, right = images[203], images[172], images[206]
    strip = Image.new("RGBA", (width, STRIP_H), (0, 0, 0, 255))
    strip.paste(left, (0, 0))
    for x in range(left.width, width - right.width):
        strip.paste(middle, (x, 0))
    strip.paste(right, (width - right.width, 0))
    for name, offset, size in TOOLBAR_LAYOUT:
        if name == "restore" and not maximized:
            name = "maximize"
        ids = button_ids(name)
        image = images[ids[STATES.index(state)]]
        place_button(strip, width - offset, 3, size, image, state)
    return strip


def popup_rgba(popup, images, state="normal", page=False):
    img = popup_with_buttons(popup, images, state)
    if page:
        d = ImageDraw.Draw(img)
        d.rectangle([0, 47, 685, 483], fill=(244, 239, 230, 255))
        d.rectangle([243, 160, 443, 186], outline=(160, 150, 140), fill=(255, 255, 255))
        d.rectangle([243, 200, 443, 226], outline=(160, 150, 140), fill=(255, 255, 255))
        d.rectangle([243, 246, 443, 276], fill=(196, 150, 60))
    key = Image.new("L", img.size, 0)
    key.putdata([0 if p[:3] == GREEN_KEY else 250 for p in img.getdata()])
    img.putalpha(key)
    return img


def desktop(size):
    return vgrad(size, [(0, (96, 120, 150)), (1, (150, 170, 190))])


def login_preview(images, popup, page):
    skin = images[319]
    canvas = desktop((skin.width + 60, skin.height + 60))
    canvas = over(canvas, skin, (30, 30))
    canvas = over(canvas, popup_rgba(popup, images, page=page), (30 + 459, 30 + 139))
    label = text_mask(canvas.size, (30 + skin.width - 60, 30 + skin.height - 33), "1.0.0.0",
                      font("sans", 10))
    return over(canvas, paint(label, (0xCB, 0xAE, 0x5B)))


def message_box_preview(images, state):
    img = images[304].copy()
    title = text_mask(img.size, (128, 8), "关闭提示", font("sans-bold", 13), anchor="ma")
    img = over(img, paint(title, (255, 255, 255)))
    message = text_mask(img.size, (128, 35), "是否退出《Korvane》登入器？", font("sans", 11),
                        anchor="ma")
    img = over(img, paint(message, (0xFF, 0xEC, 0xF7)))
    i = STATES.index(state)
    place_button(img, 36, 66, (82, 34), images[(314, 313, 313)[i]], state)
    place_button(img, 138, 66, (82, 34), images[(312, 311, 311)[i]], state)
    place_button(img, 256 - 19, 10, (9, 9), images[316], state)
    return img


def veil_preview(images):
    w, h = 240, 150
    sheet = Image.new("RGBA", (w * 4 + 30, h), (0, 0, 0, 255))
    for n in range(4):
        tile = Image.new("RGBA", (w, h), (255, 255, 255, 255))
        tile = over(tile, images[275].resize((w, h), Image.NEAREST))
        frame = images[276 + n]
        tile = over(tile, frame, ((w - 23) // 2, (h - 23) // 2 - 40))
        text = text_mask(tile.size, (w // 2, (h - 31) // 2), "缓存清理中，请稍后……",
                         font("sans", 14), anchor="ma")
        tile = over(tile, paint(text, (0xFF, 0xF5, 0xD3)))
        sheet.paste(tile, (n * (w + 10), 0))
    return sheet


def contact_sheet(images):
    cell_w, cell_h, zoom = 320, 130, 3  # 203 and 206 are shown in the strip previews
    ids = [i for i in sorted(images) if i not in (319, 304, 275, 203, 206)]
    cols = 6
    rows = (len(ids) + cols - 1) // cols
    sheet = Image.new("RGBA", (cols * cell_w, rows * cell_h), (70, 70, 76, 255))
    d = ImageDraw.Draw(sheet)
    for n, rid in enumerate(ids):
        img = images[rid]
        big = img.resize((img.width * zoom, img.height * zoom), Image.NEAREST)
        x, y = (n % cols) * cell_w, (n // cols) * cell_h
        sheet = over(sheet, big, (x + 8, y + 18))
        d = ImageDraw.Draw(sheet)
        d.text((x + 8, y + 2), f"{rid}  {img.width}x{img.height}", fill=(255, 255, 255, 255),
               font=font("sans", 11))
    return sheet


def zoom(img, factor):
    return img.resize((img.width * factor, img.height * factor), Image.NEAREST)


def write_previews(folder, images, popup):
    folder.mkdir(parents=True, exist_ok=True)
    rows = [title_strip(images, 1000, s) for s in STATES]
    rows.append(title_strip(images, 1000, "normal", maximized=False))
    strip = Image.new("RGBA", (1000, len(rows) * 40), (255, 255, 255, 255))
    for n, row in enumerate(rows):
        strip.paste(row, (0, n * 40))
    strip.save(folder / "preview_strip.png")
    zoom(strip.crop((0, 0, 1000, 160)).crop((440, 0, 1000, 160)), 2).save(
        folder / "preview_strip_zoom.png")
    zoom(strip.crop((0, 0, 240, 40)), 4).save(folder / "preview_strip_left.png")
    login_preview(images, popup, False).save(folder / "preview_login.png")
    login_preview(images, popup, True).save(folder / "preview_login_page.png")
    boxes = Image.new("RGBA", (256 * 3 + 20, 110), (200, 200, 200, 255))
    for n, s in enumerate(STATES):
        boxes.paste(message_box_preview(images, s), (n * 266, 0))
    zoom(boxes, 2).save(folder / "preview_msgbox.png")
    zoom(veil_preview(images), 1).save(folder / "preview_veil.png")
    contact_sheet(images).save(folder / "preview_sheet.png")
    Image.open(io.BytesIO(ico_bytes(uninstall_icon_image()))).resize((128, 128), Image.NEAREST) \
        .save(folder / "preview_icon.png")
