"""The login pop-up: its colour-keyed background bitmap and its round window buttons."""

from artwork.paint import *  # noqa: F401,F403 (the drawing vocabulary)


POPUP_W, POPUP_H = 714, 488
POPUP_AT = (459, 139)
# Cut corners (top-left, top-right, bottom-right, bottom-left). The top-right one is small
# because the close button sits in that corner: its anti-aliased rim and shadow must fall
# on the face, never on the colour key.
CHAMFERS = (12, 6, 12, 12)
POPUP_BUTTONS = [  # (ids, position in the pop-up, button size)
    ((320, 321, 322), (644, 5), (35, 36)),
    ((323, 324, 325), (679, 1), (35, 36)),
]


def round_button(kind, size, state):
    w, h = size
    img = Image.new("RGBA", size, (0, 0, 0, 0))
    cx, cy = w / 2, h / 2
    r = min(w, h) / 2 - 1.5
    disc = Pen(size)
    disc.circle(cx, cy, r)
    disc_mask = disc.mask()
    rim = Pen(size)
    rim.ring(cx, cy, r, 1.6)
    inner = Pen(size)
    inner.ring(cx, cy, r - 2.4, 0.8)
    img = over(img, shadow_of(disc_mask, 1.2, 210, (0, 1)))
    if state == "hover" and kind == "close":
        fill = vgrad(size, [(0, (210, 70, 48)), (1, (120, 24, 16))])
    elif state == "hover":
        fill = vgrad(size, [(0, (128, 96, 50)), (1, (58, 42, 24))])
    elif state == "pressed" and kind == "close":
        fill = vgrad(size, [(0, (76, 14, 10)), (1, (140, 32, 22))])
    elif state == "pressed":
        fill = vgrad(size, [(0, (10, 8, 6)), (1, (44, 34, 22))])
    else:
        fill = vgrad(size, [(0, (64, 49, 33)), (1, (24, 18, 13))])
    img = over(img, paint(disc_mask, fill))
    img = over(img, paint(rim.mask(), gold_fill(size, 1, h - 1)))
    img = over(img, paint(inner.mask(), rgba(GOLD_DARK, 200)))
    dy = 1 if state == "pressed" else 0
    glyph = Pen(size)
    if kind == "close":
        d = r * 0.36
        glyph.line([(cx - d, cy - d + dy), (cx + d, cy + d + dy)], 2.0)
        glyph.line([(cx - d, cy + d + dy), (cx + d, cy - d + dy)], 2.0)
    else:
        d = r * 0.42
        glyph.line([(cx - d, cy + dy), (cx + d, cy + dy)], 2.0)
    gm = glyph.mask()
    colour = {"normal": GOLD_LIGHT, "hover": CREAM, "pressed": GOLD}[state]
    img = over(img, shadow_of(gm, 0.6, 220, (0, 1)))
    img = over(img, paint(gm, colour))
    return img


def chamfer_polygon(w, h, inset, chamfers=CHAMFERS):
    i = inset
    tl, tr, br, bl = (max(0, c - inset) for c in chamfers)
    r, b = w - 1 - i, h - 1 - i
    return [(i + tl, i), (r - tr, i), (r, i + tr), (r, b - br), (r - br, b), (i + bl, b),
            (i, b - bl), (i, i + tl)]


def popup_bitmap():
    """The pop-up's face as RGB, with pure green where the login skin must show."""
    w, h = POPUP_W, POPUP_H
    size = (w, h)
    img = vgrad(size, [(0, (22, 17, 13)), (1, (12, 9, 7))])
    grain = smooth_noise(size, 318, (357, 244), 0, 255)
    img = over(img, paint(scale_alpha(grain, 0.035), (255, 230, 190)))
    # Faint sigil in the middle of the page area, seen while the page loads.
    star, hole = emblem_mask(size, 343, 262, 120, 2)
    img = over(img, paint(scale_alpha(star, 0.07), GOLD))
    img = over(img, paint(scale_alpha(hole, 0.10), CRIMSON))
    # Header band.
    header = Image.new("L", size, 0)
    ImageDraw.Draw(header).rectangle([0, 0, w - 1, 45], fill=255)
    img = over(img, paint(header, vgrad(size, [(0, (62, 47, 31)), (0.094, (28, 21, 15)),
                                              (1, (28, 21, 15))])))
    glow = radial_mask(size, (180, 0), 320, 70, 0, 1.2)
    img = over(img, paint(ImageChops.multiply(glow, header), (255, 190, 110)))
    img = draw_emblem(img, 24, 23, 12)
    caption = "《Korvane》登入器"
    fnt = font("serif", 18)
    m = text_mask(size, (42, 23), caption, fnt, anchor="lm")
    img = over(img, shadow_of(m, 1.0, 230, (0, 1)))
    img = over(img, paint(m, gold_fill(size, 12, 33)))
    end = 42 + text_width(caption, fnt) + 12
    fl = Pen(size, 2)
    fl.polygon([(end, 23), (end + 4, 20), (end + 8, 23), (end + 4, 26)])
    fl.polygon([(end + 8, 23), (620, 22.4), (620, 23.6)])
    img = over(img, paint(fl.mask(), GOLD_DEEP))
    d = ImageDraw.Draw(img)
    d.line([(0, 44), (w, 44)], fill=rgba((10, 8, 6)))
    d.line([(0, 45), (w, 45)], fill=rgba(GOLD_DEEP))
    d.line([(0, 46), (w, 46)], fill=rgba((8, 6, 5)))
    # Right-hand column beside the page: a gold rail with a chain of small diamonds.
    col = Image.new("L", size, 0)
    ImageDraw.Draw(col).rectangle([686, 47, w - 1, h - 1], fill=255)
    img = over(img, paint(col, (30, 23, 16)))
    rail = Pen(size, 2)
    rail.rect((687, 47, 688, h - 4))
    for y in range(70, h - 20, 26):
        rail.polygon([(700, y - 5), (704.5, y), (700, y + 5), (695.5, y)])
    img = over(img, paint(rail.mask(), GOLD_DEEP))
    dots = Pen(size, 2)
    for y in range(70, h - 20, 26):
        dots.circle(700, y, 1.4)
    img = over(img, paint(dots.mask(), CRIMSON))
    # Outline: a dark outer pixel and a gold line inside it, following the cut corners.
    d = ImageDraw.Draw(img)
    d.polygon(chamfer_polygon(w, h, 0), outline=rgba((8, 6, 5)))
    d.polygon(chamfer_polygon(w, h, 1), outline=rgba(GOLD_DEEP))
    d.polygon(chamfer_polygon(w, h, 2), outline=rgba((40, 30, 20)))
    rgb = img.convert("RGB")
    # Hard-edged shape: a pixel is either the face or exactly the colour key, never a blend.
    shape = Image.new("L", size, 0)
    ImageDraw.Draw(shape).polygon(chamfer_polygon(w, h, 0), fill=255, outline=255)
    out = Image.new("RGB", size, GREEN_KEY)
    out.paste(rgb, (0, 0), shape)
    return out


def check_colour_key(img, what):
    """Every pixel must be the exact key or clearly not green at all."""
    for r, g, b in img.convert("RGB").getdata():
        if (r, g, b) == GREEN_KEY:
            continue
        if g - max(r, b) > 24:
            raise SystemExit(f"near-green pixel {(r, g, b)} in {what}")


def popup_with_buttons(popup, images, state):
    """The pop-up as the window composes it: round buttons over the bitmap, before keying."""
    img = popup.convert("RGBA")
    for ids, (x, y), size in POPUP_BUTTONS:
        place_button(img, x, y, size, images[ids[STATES.index(state)]], state)
    return img
