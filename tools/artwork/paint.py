"""Palette, fonts and the small drawing vocabulary shared by every image."""

import math
import pathlib
import random

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont


# Palette: dark bronze and ink with gold trim.

GOLD_PALE = (250, 232, 168)
GOLD_LIGHT = (236, 208, 132)
GOLD = (203, 174, 91)
GOLD_DEEP = (150, 112, 48)
GOLD_DARK = (96, 70, 32)
CREAM = (255, 245, 211)
CRIMSON = (164, 38, 28)
CRIMSON_DARK = (104, 22, 16)
GREEN_KEY = (0, 255, 0)

FONT_DIR = pathlib.Path("/usr/share/fonts/opentype/noto")
FACE_SC, FACE_TC = 2, 3  # face indexes inside the Noto CJK collections
_fonts = {}


def font(kind, size, face=FACE_SC):
    files = {
        "serif": "NotoSerifCJK-Bold.ttc",
        "sans": "NotoSansCJK-Regular.ttc",
        "sans-bold": "NotoSansCJK-Bold.ttc",
    }
    key = (kind, size, face)
    if key not in _fonts:
        _fonts[key] = ImageFont.truetype(str(FONT_DIR / files[kind]), size, index=face)
    return _fonts[key]


# ---------------------------------------------------------------------------------------
# Drawing helpers. Shapes are drawn into masks at SCALE times the target size and box-
# filtered down, which gives clean anti-aliased edges; text is drawn at 1x so that the
# font hinting keeps small labels crisp.

SCALE = 4


def rgba(colour, alpha=None):
    if alpha is None:
        alpha = colour[3] if len(colour) > 3 else 255
    return tuple(colour[:3]) + (alpha,)


def mix(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(len(a)))


class Pen:
    """ImageDraw on a supersampled mask; takes coordinates in target pixels."""

    def __init__(self, size, scale=SCALE):
        self.size = size
        self.s = scale
        self.image = Image.new("L", (size[0] * scale, size[1] * scale), 0)
        self.draw = ImageDraw.Draw(self.image)

    def _box(self, box):
        x0, y0, x1, y1 = box
        s = self.s
        return [round(x0 * s), round(y0 * s), round(x1 * s) - 1, round(y1 * s) - 1]

    def _pts(self, pts):
        return [(x * self.s, y * self.s) for x, y in pts]

    def rect(self, box, fill=255):
        self.draw.rectangle(self._box(box), fill=fill)

    def rrect(self, box, r, fill=255, outline=None, width=0):
        self.draw.rounded_rectangle(self._box(box), radius=r * self.s, fill=fill,
                                    outline=outline, width=round(width * self.s))

    def ellipse(self, box, fill=255, outline=None, width=0):
        self.draw.ellipse(self._box(box), fill=fill, outline=outline,
                          width=round(width * self.s))

    def circle(self, cx, cy, r, fill=255, outline=None, width=0):
        self.ellipse((cx - r, cy - r, cx + r, cy + r), fill, outline, width)

    def ring(self, cx, cy, r, width, fill=255):
        """A circle line of `width` centred on radius `r`."""
        self.circle(cx, cy, r + width / 2, fill=None, outline=fill, width=width)

    def polygon(self, pts, fill=255):
        self.draw.polygon(self._pts(pts), fill=fill)

    def line(self, pts, width, fill=255):
        self.draw.line(self._pts(pts), fill=fill, width=max(1, round(width * self.s)),
                       joint="curve")
        # Round caps, which ImageDraw lacks.
        r = width / 2
        for x, y in (pts[0], pts[-1]):
            self.circle(x, y, r, fill=fill)

    def arc(self, box, start, end, width, fill=255):
        self.draw.arc(self._box(box), start, end, fill=fill, width=round(width * self.s))

    def mask(self):
        return self.image.resize(self.size, Image.BOX)


def paint(mask, source):
    """A layer: `source` (a colour or an RGBA image) seen through `mask`."""
    if isinstance(source, Image.Image):
        layer = source.copy()
    else:
        layer = Image.new("RGBA", mask.size, rgba(source))
    alpha = ImageChops.multiply(layer.getchannel("A"), mask)
    layer.putalpha(alpha)
    return layer


def over(base, layer, xy=(0, 0)):
    if xy != (0, 0) or layer.size != base.size:
        full = Image.new("RGBA", base.size, (0, 0, 0, 0))
        full.paste(layer, xy)
        layer = full
    return Image.alpha_composite(base, layer)


def scale_alpha(mask, factor):
    return mask.point(lambda v: round(v * factor))


def vgrad(size, stops):
    """Vertical gradient; stops are (position 0..1, colour) pairs in order."""
    w, h = size
    column = []
    for y in range(h):
        t = y / max(1, h - 1)
        for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
            if t0 <= t <= t1:
                column.append(mix(rgba(c0), rgba(c1), (t - t0) / max(1e-9, t1 - t0)))
                break
        else:
            column.append(rgba(stops[-1][1]))
    strip = Image.new("RGBA", (1, h))
    strip.putdata(column)
    return strip.resize((w, h), Image.NEAREST)


_distance_field = None


def distance_field():
    """512 x 512 L image: distance from the centre, 255 at a distance of 256 and beyond."""
    global _distance_field
    if _distance_field is None:
        n = 512
        data = []
        for y in range(n):
            dy = y + 0.5 - n / 2
            for x in range(n):
                dx = x + 0.5 - n / 2
                data.append(min(255, round(math.hypot(dx, dy) / (n / 2) * 255)))
        _distance_field = Image.new("L", (n, n))
        _distance_field.putdata(data)
    return _distance_field


def radial_mask(size, centre, radius, inner=255, outer=0, power=1.0):
    """L mask falling from `inner` at the centre to `outer` at `radius` and beyond."""
    lut = [round(inner + (outer - inner) * (v / 255.0) ** power) for v in range(256)]
    d = max(2, round(radius * 2))
    blob = distance_field().resize((d, d), Image.BILINEAR).point(lut)
    out = Image.new("L", size, outer)
    out.paste(blob, (round(centre[0] - d / 2), round(centre[1] - d / 2)))
    return out


def text_mask(size, xy, text, fnt, anchor="la", stroke=0):
    m = Image.new("L", size, 0)
    ImageDraw.Draw(m).text(xy, text, font=fnt, fill=255, anchor=anchor, stroke_width=stroke,
                           stroke_fill=255)
    return m


def text_width(text, fnt):
    box = ImageDraw.Draw(Image.new("L", (1, 1))).textbbox((0, 0), text, font=fnt)
    return box[2] - box[0]


def smooth_noise(size, seed, cells, low=0, high=255):
    """Deterministic value noise: random cells scaled up with bicubic smoothing."""
    rnd = random.Random(seed)
    cw, ch = cells
    small = Image.new("L", (cw, ch))
    small.putdata([rnd.randint(low, high) for _ in range(cw * ch)])
    return small.resize(size, Image.BICUBIC)


def gold_fill(size, top, bottom, light=GOLD_PALE, mid=GOLD, dark=GOLD_DEEP):
    """Metallic gold: pale at the top of the band, deep at the bottom."""
    w, h = size
    img = Image.new("RGBA", size, rgba(mid))
    band_h = max(1, bottom - top)
    band = vgrad((w, band_h), [(0, light), (0.45, mid), (0.55, mix(mid, dark, 0.3)), (1, dark)])
    img.paste(band, (0, top))
    return img


def shadow_of(mask, radius, alpha, offset=(0, 0)):
    shifted = Image.new("L", mask.size, 0)
    shifted.paste(mask, offset)
    blurred = shifted.filter(ImageFilter.GaussianBlur(radius))
    return paint(scale_alpha(blurred, alpha / 255), (0, 0, 0))


def brighten_hover(img):
    """The skinned button's hover matrix: each channel c becomes 1.05 c + 0.05."""
    r, g, b, a = img.split()
    lut = [min(255, round(v * 1.05 + 0.05 * 255)) for v in range(256)]
    return Image.merge("RGBA", (r.point(lut), g.point(lut), b.point(lut), a))


# ---------------------------------------------------------------------------------------
# Emblem: an eight-pointed star around a diamond, the launcher's small sigil.


def emblem_mask(size, cx, cy, r, scale=SCALE):
    pen = Pen(size, scale)
    outer, inner = r, r * 0.42
    pts = []
    for i in range(16):
        a = math.pi / 8 * i - math.pi / 2
        rr = outer if i % 2 == 0 else inner
        if i % 4 == 2:
            rr = outer * 0.72  # the diagonal points are shorter
        pts.append((cx + rr * math.cos(a), cy + rr * math.sin(a)))
    pen.polygon(pts)
    star = pen.mask()
    hole = Pen(size, scale)
    d = r * 0.30
    hole.polygon([(cx, cy - d), (cx + d, cy), (cx, cy + d), (cx - d, cy)])
    return star, hole.mask()


def draw_emblem(img, cx, cy, r):
    star, hole = emblem_mask(img.size, cx, cy, r)
    img = over(img, shadow_of(star, max(1, r * 0.12), 200, (0, 1)))
    img = over(img, paint(star, gold_fill(img.size, round(cy - r), round(cy + r))))
    img = over(img, paint(hole, CRIMSON))
    return img


STATES = ("normal", "hover", "pressed")  # the three images of a skinned button


def place_button(canvas, x, y, size, image, state):
    """What a skinned button shows: the captured background with its image at (0, 0)."""
    w, h = size
    face = canvas.crop((x, y, x + w, y + h))
    img = brighten_hover(image) if state == "hover" else image
    face = over(face, img.crop((0, 0, min(w, img.width), min(h, img.height))))
    canvas.paste(face, (x, y))
