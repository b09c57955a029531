#!/usr/bin/env python3
"""Draws every picture of the launcher's skin.

usage: make_images.py OUTDIR

OUTDIR is the TesselRes folder of a program folder: pictures go to OUTDIR/Skin/... (the skin
folder the XML files name them from) and OUTDIR/Lobby/BIG_FACE.bmp. Everything is drawn here from
shapes and gradients with fixed seeds, so two runs write the same bytes and no picture ever comes
from elsewhere. The skins carry the texts; the only letters drawn into a picture are the brand's
word mark on the advertisement placeholder.

Small shapes are drawn SS times larger and scaled down, which gives smooth edges at the sizes the
windows show them.
"""
import math
import os
import random
import sys

from PIL import Image, ImageDraw, ImageFilter, ImageFont

FONT_FILE = '/usr/share/fonts/truetype/wqy/wqy-microhei.ttc'
SS = 4
LANCZOS = Image.Resampling.LANCZOS
BICUBIC = Image.Resampling.BICUBIC

# One palette for every window: deep blue to teal, white panels, a warm accent for the main action.
TEAL = (26, 158, 172)
TEAL_DARK = (18, 128, 146)
ACCENT_TOP = (255, 178, 76)
ACCENT_BOTTOM = (255, 122, 48)
FRAME = (204, 214, 226)
FRAME_HOT = (140, 182, 218)
INK_SOFT = (112, 126, 146)
RED = (229, 83, 61)
GREEN = (45, 179, 111)
WHITE = (255, 255, 255)

BACKGROUND_SIZE = (800, 600)


# ---------------------------------------------------------------- drawing helpers

def mix(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def ramp(stops, t):
    """The colour at t (0..1) of evenly spaced colour stops."""
    t = min(max(t, 0.0), 1.0) * (len(stops) - 1)
    i = min(int(t), len(stops) - 2)
    return mix(stops[i], stops[i + 1], t - i)


def field(size, shade, stops, grid=(160, 120)):
    """An RGBA picture whose colour at (u, v) in 0..1 is ramp(stops, shade(u, v)).

    The field is computed on a coarse grid and scaled up: gradients stay smooth and cheap.
    """
    gw, gh = grid
    pixels = [ramp(stops, shade(x / (gw - 1), y / (gh - 1)))
              for y in range(gh) for x in range(gw)]
    picture = Image.new('RGB', grid)
    picture.putdata(pixels)
    if grid != size:
        picture = picture.resize(size, BICUBIC)
    return picture.convert('RGBA')


def vertical(size, top, bottom):
    return field(size, lambda u, v: v, [top, bottom], grid=(2, max(size[1], 2)))


class Pen:
    """Draws in picture coordinates onto a canvas SS times larger than the picture.

    On an RGBA canvas a shape replaces what lies under it; on an RGB canvas it blends.
    """

    def __init__(self, canvas):
        self.draw = ImageDraw.Draw(canvas, 'RGBA')

    @staticmethod
    def scaled(values):
        return [v * SS for v in values]

    def rounded(self, box, radius, fill=None, outline=None, width=0):
        self.draw.rounded_rectangle(self.scaled(box), radius * SS, fill, outline,
                                    round(width * SS))

    def ellipse(self, box, fill=None, outline=None, width=0):
        self.draw.ellipse(self.scaled(box), fill, outline, round(width * SS))

    def circle(self, centre, radius, fill=None, outline=None, width=0):
        x, y = centre
        self.ellipse((x - radius, y - radius, x + radius, y + radius), fill, outline, width)

    def chord(self, box, start, end, fill):
        self.draw.chord(self.scaled(box), start, end, fill)

    def arc(self, box, start, end, fill, width):
        self.draw.arc(self.scaled(box), start, end, fill, round(width * SS))

    def polygon(self, points, fill):
        self.draw.polygon([(x * SS, y * SS) for x, y in points], fill)

    def line(self, points, fill, width):
        self.draw.line([(x * SS, y * SS) for x, y in points], fill, round(width * SS),
                       joint='curve')
        for x, y in (points[0], points[-1]):  # round caps
            self.circle((x, y), width / 2, fill)


def smooth(size, paint, mode='RGBA', background=(0, 0, 0, 0)):
    """A picture of `size` painted by paint(pen) on a canvas SS times larger."""
    canvas = Image.new(mode, (size[0] * SS, size[1] * SS), background)
    paint(Pen(canvas))
    return canvas.resize(size, LANCZOS)


def shape_mask(size, paint):
    """The alpha of the shapes paint(pen) draws, as an L picture."""
    return smooth(size, paint).getchannel('A')


def filled(size, paint, colours):
    """colours (a picture of `size`) cut out by the shapes paint(pen) draws."""
    picture = colours.copy()
    picture.putalpha(shape_mask(size, paint))
    return picture


def blur(picture, radius):
    """A Gaussian blur that keeps colours at soft edges (blurs with premultiplied alpha)."""
    return picture.convert('RGBa').filter(ImageFilter.GaussianBlur(radius)).convert('RGBA')


def with_shadow(shape, offset=(0, 2), softness=2.5, strength=0.3, colour=(8, 28, 60)):
    """shape over a soft shadow made of its own alpha, blurred and moved by offset."""
    alpha = shape.getchannel('A').point(lambda a: round(a * strength))
    moved = Image.new('L', shape.size, 0)
    moved.paste(alpha, offset)
    shadow = Image.new('RGBA', shape.size, colour + (0,))
    shadow.putalpha(moved.filter(ImageFilter.GaussianBlur(softness)))
    return Image.alpha_composite(shadow, shape)


def strip(states):
    """States of one size side by side, picked by the skins with source='...'."""
    width, height = states[0].size
    picture = Image.new('RGBA', (width * len(states), height), (0, 0, 0, 0))
    for i, state in enumerate(states):
        picture.paste(state, (i * width, 0))
    return picture


def tinted(picture, colour, amount):
    """picture blended towards colour by amount (0..1), alpha kept."""
    layer = Image.new('RGBA', picture.size, colour + (255,))
    blended = Image.blend(picture, layer, amount)
    blended.putalpha(picture.getchannel('A'))
    return blended


def greyed(picture, fade=0.45):
    grey = picture.convert('L').convert('RGBA')
    grey = tinted(grey, (236, 240, 244), 0.35)
    grey.putalpha(picture.getchannel('A').point(lambda a: round(a * fade)))
    return grey


def overlay(base, layer, x=0, y=0):
    """Composites layer onto base at (x, y) in place; parts outside base are cut off."""
    left, top = max(x, 0), max(y, 0)
    right = min(x + layer.width, base.width)
    bottom = min(y + layer.height, base.height)
    if right > left and bottom > top:
        part = layer.crop((left - x, top - y, right - x, bottom - y))
        base.alpha_composite(part, (left, top))


def soft_light(base, centre, radius, colour, strength):
    """A round light, brightest at centre and gone at radius."""
    size = 2 * radius
    falloff = Image.radial_gradient('L').resize((size, size), BICUBIC)
    # radial_gradient() is the distance from the centre: 128 at the middle of each edge.
    falloff = falloff.point(lambda d: round(255 * strength * max(0.0, 1 - d / 128) ** 2))
    spot = Image.new('RGBA', (size, size), colour + (0,))
    spot.putalpha(falloff)
    overlay(base, spot, centre[0] - radius, centre[1] - radius)


def blurred_layer(base, paint, radius):
    """Draws paint(draw) on a transparent layer, blurs it and composites it over base."""
    layer = Image.new('RGBA', base.size, (0, 0, 0, 0))
    paint(ImageDraw.Draw(layer))
    if radius:
        layer = blur(layer, radius)
    base.alpha_composite(layer)


def save(picture, outdir, relative):
    path = os.path.join(outdir, *relative.split('/'))
    os.makedirs(os.path.dirname(path), exist_ok=True)
    if relative.endswith('.jpg'):
        picture.convert('RGB').save(path, 'JPEG', quality=90, optimize=True)
    elif relative.endswith('.bmp'):
        picture.convert('RGB').save(path, 'BMP')
    else:
        picture.save(path, 'PNG', optimize=True)


# ---------------------------------------------------------------- window backgrounds

def bokeh(base, rng, count, colours, radii, alphas, softness):
    """Out-of-focus light discs; each is composited alone so overlapping discs add up."""
    for _ in range(count):
        radius = rng.uniform(*radii)
        margin = int(radius + 3 * softness + 2)
        disc = Image.new('RGBA', (2 * margin, 2 * margin), (0, 0, 0, 0))
        ImageDraw.Draw(disc).ellipse((margin - radius, margin - radius, margin + radius,
                                      margin + radius),
                                     rng.choice(colours) + (rng.randint(*alphas),))
        disc = blur(disc, softness)
        overlay(base, disc, int(rng.uniform(0, base.width)) - margin,
                int(rng.uniform(0, base.height)) - margin)


def stars(base, rng, count, height):
    def paint(draw):
        for _ in range(count):
            x, y = rng.uniform(0, base.width), rng.uniform(0, height) ** 1.2 / height ** 0.2
            r = rng.choice((0.8, 1.0, 1.3, 1.7))
            draw.ellipse((x - r, y - r, x + r, y + r), (255, 255, 255, rng.randint(60, 170)))
    blurred_layer(base, paint, 0.6)


def wave_line(width, base_y, amplitude, period, phase, step=8):
    return [(x, base_y + amplitude * math.sin(2 * math.pi * x / period + phase)
             + amplitude * 0.35 * math.sin(2 * math.pi * x / (period * 0.43) + 2 * phase))
            for x in range(-step, width + 2 * step, step)]


def bands(base, layers, softness=1.0):
    """Filled wave bands: each layer is (base_y, amplitude, period, phase, rgba), filled below."""
    w, h = base.size
    for base_y, amplitude, period, phase, colour in layers:
        ridge = wave_line(w, base_y, amplitude, period, phase)
        blurred_layer(base, lambda d: d.polygon(ridge + [(w + 20, h + 20), (-20, h + 20)],
                                                colour), softness)


def diagonal(angle_degrees):
    """A shade function rising along the direction angle_degrees (0 = left to right)."""
    a = math.radians(angle_degrees)
    dx, dy = math.cos(a), math.sin(a) * 0.75
    span = abs(dx) + abs(dy)
    return lambda u, v: ((u - 0.5) * dx + (v - 0.5) * dy) / span + 0.5


def radial(cx, cy, reach):
    return lambda u, v: math.hypot(u - cx, (v - cy) * 0.75) / reach


def bkg_deep_sea(rng):
    picture = field(BACKGROUND_SIZE, diagonal(35), [(12, 30, 76), (26, 78, 152), (18, 134, 150)])
    soft_light(picture, (640, 80), 360, (120, 220, 230), 0.35)
    bokeh(picture, rng, 26, [WHITE, (160, 230, 240)], (10, 46), (14, 40), 3)
    return picture


def bkg_twilight(rng):
    picture = field(BACKGROUND_SIZE, lambda u, v: v,
                    [(22, 22, 70), (58, 44, 120), (128, 72, 150), (196, 110, 140)])
    stars(picture, rng, 140, 360)
    soft_light(picture, (610, 150), 140, (255, 236, 210), 0.45)
    blurred_layer(picture, lambda d: d.ellipse((588, 128, 632, 172), (255, 246, 228, 235)), 1.2)
    return picture


def bkg_ocean(rng):
    picture = field(BACKGROUND_SIZE, lambda u, v: v, [(24, 74, 140), (34, 130, 170),
                                                      (12, 92, 128)])
    soft_light(picture, (200, 40), 300, (200, 240, 255), 0.35)
    bands(picture, [(300, 18, 520, 0.3, (60, 170, 196, 70)),
                    (360, 22, 610, 1.9, (24, 120, 160, 110)),
                    (420, 16, 470, 3.1, (16, 96, 140, 140)),
                    (480, 20, 700, 4.4, (10, 70, 112, 170)),
                    (540, 14, 540, 5.2, (8, 52, 90, 200))])
    return picture


def bkg_light_beams(rng):
    picture = field(BACKGROUND_SIZE, diagonal(60), [(20, 44, 96), (16, 30, 66), (10, 22, 50)])

    def beams(draw):
        for start, spread, alpha in ((0.05, 0.10, 34), (0.22, 0.06, 26), (0.36, 0.12, 30),
                                     (0.58, 0.07, 22), (0.75, 0.10, 18)):
            a1, a2 = start * math.pi / 2, (start + spread) * math.pi / 2
            reach = 1300
            draw.polygon([(-40, -40), (-40 + reach * math.cos(a1), -40 + reach * math.sin(a1)),
                          (-40 + reach * math.cos(a2), -40 + reach * math.sin(a2))],
                         (150, 210, 255, alpha))
    blurred_layer(picture, beams, 24)
    soft_light(picture, (0, 0), 420, (170, 220, 255), 0.4)
    bokeh(picture, rng, 12, [(190, 225, 255)], (3, 8), (40, 90), 1.5)
    return picture


def bkg_aurora(rng):
    picture = field(BACKGROUND_SIZE, lambda u, v: v, [(8, 22, 46), (10, 44, 70), (14, 60, 78)])
    stars(picture, rng, 110, 600)

    def ribbons(draw):
        for base_y, amplitude, period, phase, colour, width in (
                (190, 60, 900, 0.4, (70, 230, 170, 170), 70),
                (250, 50, 760, 2.0, (40, 190, 210, 140), 56),
                (150, 40, 680, 3.5, (150, 110, 230, 120), 40)):
            draw.line(wave_line(800, base_y, amplitude, period, phase), colour, width)
    blurred_layer(picture, ribbons, 30)
    bands(picture, [(520, 26, 900, 1.0, (6, 20, 36, 255))])
    return picture


def bkg_sunset_hills(rng):
    picture = field(BACKGROUND_SIZE, lambda u, v: v,
                    [(40, 34, 96), (120, 62, 128), (214, 104, 108), (246, 160, 96)])
    soft_light(picture, (420, 360), 300, (255, 210, 140), 0.6)
    bands(picture, [(330, 30, 620, 0.5, (150, 70, 120, 255)),
                    (390, 36, 540, 2.1, (104, 48, 106, 255)),
                    (450, 28, 720, 3.8, (66, 32, 84, 255)),
                    (520, 22, 480, 5.0, (36, 20, 58, 255))])
    return picture


def bkg_low_poly(rng):
    cols, rows = 12, 9
    w, h = BACKGROUND_SIZE
    points = [[(c * w / cols + (rng.uniform(-0.35, 0.35) * w / cols if 0 < c < cols else 0),
                r * h / rows + (rng.uniform(-0.35, 0.35) * h / rows if 0 < r < rows else 0))
               for c in range(cols + 1)] for r in range(rows + 1)]
    stops = [(16, 44, 98), (26, 92, 160), (22, 150, 164)]
    shade = diagonal(25)

    def paint(pen):
        for r in range(rows):
            for c in range(cols):
                a, b = points[r][c], points[r][c + 1]
                d, e = points[r + 1][c], points[r + 1][c + 1]
                for triangle in ((a, b, e), (a, e, d)):
                    cx = sum(p[0] for p in triangle) / 3 / w
                    cy = sum(p[1] for p in triangle) / 3 / h
                    colour = mix(ramp(stops, shade(cx, cy)), WHITE, rng.uniform(0.0, 0.09))
                    pen.polygon(triangle, colour + (255,))
    return smooth(BACKGROUND_SIZE, paint)


def bkg_rose_bokeh(rng):
    picture = field(BACKGROUND_SIZE, diagonal(20), [(70, 28, 104), (132, 46, 122),
                                                    (176, 70, 116)])
    bokeh(picture, rng, 34, [(255, 200, 220), (255, 226, 190), (220, 180, 255)], (12, 54),
          (16, 46), 4)
    return picture


def bkg_forest(rng):
    picture = field(BACKGROUND_SIZE, lambda u, v: v, [(22, 64, 78), (40, 110, 104),
                                                      (120, 170, 150)])
    soft_light(picture, (560, 300), 340, (230, 250, 220), 0.4)
    bands(picture, [(300, 40, 700, 0.2, (56, 120, 100, 255)),
                    (360, 34, 560, 1.7, (36, 96, 80, 255)),
                    (430, 30, 640, 3.0, (24, 74, 62, 255)),
                    (500, 26, 520, 4.6, (14, 52, 46, 255))])
    return picture


def bkg_ripples(rng):
    picture = field(BACKGROUND_SIZE, radial(0.7, 0.62, 0.9), [(26, 140, 160), (16, 80, 120),
                                                              (12, 36, 74)])

    def rings(draw):
        for i in range(1, 16):
            r = 34 * i + 6 * math.sin(i)
            draw.ellipse((560 - r, 372 - r * 0.8, 560 + r, 372 + r * 0.8), None,
                         (200, 245, 250, max(10, 70 - 4 * i)), 2)
    blurred_layer(picture, rings, 1.4)
    return picture


def bkg_hexagons(rng):
    picture = field(BACKGROUND_SIZE, diagonal(-30), [(24, 30, 92), (36, 70, 150), (32, 110, 170)])
    size = 36

    def hexes(draw):
        for row in range(-1, 12):
            for col in range(-1, 15):
                cx = col * size * 1.5
                cy = row * size * math.sqrt(3) + (size * math.sqrt(3) / 2 if col % 2 else 0)
                corners = [(cx + size * math.cos(math.pi / 3 * k),
                            cy + size * math.sin(math.pi / 3 * k)) for k in range(6)]
                fill = (255, 255, 255, rng.choice((0, 0, 0, 0, 8, 14)))
                draw.polygon(corners, fill, (200, 230, 255, 26))
    blurred_layer(picture, hexes, 0.7)
    soft_light(picture, (140, 520), 320, (110, 220, 230), 0.35)
    return picture


def bkg_golden_silk(rng):
    picture = field(BACKGROUND_SIZE, diagonal(40), [(150, 90, 50), (100, 52, 60), (52, 30, 66)])
    soft_light(picture, (120, 80), 360, (255, 206, 130), 0.45)

    def silk(draw):
        for i in range(7):
            top = wave_line(800, 220 + 26 * i, 90, 1100, 0.5 + 0.22 * i, step=10)
            bottom = wave_line(800, 232 + 26 * i, 92, 1100, 0.52 + 0.22 * i, step=10)
            draw.polygon(top + bottom[::-1], (255, 220, 170, 22 + 4 * i))
    blurred_layer(picture, silk, 5)
    return picture


BACKGROUNDS = [bkg_deep_sea, bkg_twilight, bkg_ocean, bkg_light_beams, bkg_aurora,
               bkg_sunset_hills, bkg_low_poly, bkg_rose_bokeh, bkg_forest, bkg_ripples,
               bkg_hexagons, bkg_golden_silk]


# ---------------------------------------------------------------- controls

def caption_button(glyph, hot_fill, pushed_fill):
    """A 4-state caption button strip (normal, hot, pushed, disabled), 36x30 a state."""
    size = (36, 30)

    def state(fill, ink):
        def paint(pen):
            if fill:
                pen.rounded((3, 2, 33, 28), 5, fill)
            glyph(pen, ink)
        return smooth(size, paint)
    return strip([state(None, (255, 255, 255, 235)), state(hot_fill, WHITE + (255,)),
                  state(pushed_fill, WHITE + (255,)), state(None, (255, 255, 255, 90))])


def close_glyph(pen, ink):
    pen.line([(13.5, 10.5), (22.5, 19.5)], ink, 1.6)
    pen.line([(22.5, 10.5), (13.5, 19.5)], ink, 1.6)


def minimise_glyph(pen, ink):
    pen.line([(13, 15.5), (23, 15.5)], ink, 1.6)


def pill_button(size, colours, border, shadow_strength):
    """A rounded button body inside a 4 px margin that holds its soft shadow."""
    w, h = size
    body = filled(size, lambda pen: pen.rounded((4, 4, w - 4, h - 4), 6, WHITE),
                  vertical(size, *colours))
    if border:
        ring = smooth(size, lambda pen: pen.rounded((4, 4, w - 4, h - 4), 6, None,
                                                    border + (255,), 1))
        body = Image.alpha_composite(body, ring)
    if shadow_strength:
        body = with_shadow(body, (0, 2), 2.2, shadow_strength)
    return body


def main_button():
    size = (100, 46)
    return strip([pill_button(size, (ACCENT_TOP, ACCENT_BOTTOM), (236, 110, 40), 0.45),
                  pill_button(size, ((255, 194, 104), (255, 140, 64)), (240, 122, 50), 0.5),
                  pill_button(size, ((240, 150, 56), (226, 104, 30)), (206, 92, 24), 0.25),
                  pill_button(size, ((218, 223, 229), (202, 209, 217)), (194, 201, 210), 0.1)])


def secondary_button():
    size = (100, 46)
    return strip([pill_button(size, (WHITE, (242, 248, 251)), TEAL, 0.22),
                  pill_button(size, ((240, 251, 252), (226, 245, 248)), TEAL_DARK, 0.28),
                  pill_button(size, ((214, 239, 243), (204, 234, 239)), TEAL_DARK, 0.12),
                  pill_button(size, ((244, 246, 248), (238, 241, 244)), (210, 216, 223), 0.06)])


def edit_state(size, border, glow=None, width=1.0):
    """An edit frame: white field, rounded border, a 3 px margin for the focus glow."""
    w, h = size

    def paint(pen):
        if glow:
            pen.rounded((0.5, 0.5, w - 0.5, h - 0.5), 7, glow + (64,))
        pen.rounded((3, 3, w - 3, h - 3), 5, border + (255,))
        pen.rounded((3 + width, 3 + width, w - 3 - width, h - 3 - width), 5 - width,
                    WHITE + (255,))
    return smooth(size, paint)


def edit_frame():
    """Normal, hot, focused; 42x42 each, drawn with corner='8,8,8,8'."""
    size = (42, 42)
    return strip([edit_state(size, FRAME), edit_state(size, FRAME_HOT),
                  edit_state(size, TEAL, glow=TEAL, width=1.3)])


def combo_state(border, arrow, glow=None):
    """The account combo's frame: an edit frame with a drop-down arrow in its right 35 px."""
    size = (80, 42)
    frame = edit_state(size, border, glow, 1.3 if glow else 1.0)

    def paint(pen):
        pen.line([(43, 11), (43, 31)], (226, 232, 240, 255), 1)
        pen.line([(55.5, 18.8), (60, 23.2), (64.5, 18.8)], arrow + (255,), 1.6)
    return Image.alpha_composite(frame, smooth(size, paint))


def account_combo():
    """Normal, hot, pushed; 80x42 each, drawn with corner='8,8,38,8' (the arrow never stretches)."""
    return strip([combo_state(FRAME, INK_SOFT), combo_state(FRAME_HOT, TEAL),
                  combo_state(TEAL, TEAL_DARK, glow=TEAL)])


def check_state(round_shape, checked, hot):
    def paint(pen):
        border = TEAL if hot or checked else (168, 182, 200)
        fill = (mix(TEAL, WHITE, 0.15) if hot else TEAL) if checked else WHITE
        if round_shape:
            pen.circle((8, 8), 7, border + (255,))
            pen.circle((8, 8), 6, (WHITE if checked else fill) + (255,))
            if checked:
                pen.circle((8, 8), 3.6, fill + (255,))
        else:
            pen.rounded((1, 1, 15, 15), 3, border + (255,))
            pen.rounded((2, 2, 14, 14), 2.2, fill + (255,))
            if checked:
                pen.line([(4.5, 8.2), (7, 10.7), (11.6, 5.6)], WHITE + (255,), 1.7)
    return smooth((16, 16), paint)


def check_box(round_shape):
    """Unchecked, unchecked hot, checked, checked hot; 16x16 each."""
    return strip([check_state(round_shape, checked, hot)
                  for checked in (False, True) for hot in (False, True)])


def progress_back():
    return smooth((40, 16), lambda pen: pen.rounded((0, 0, 40, 16), 8, (218, 228, 238, 255)))


def progress_fore():
    return filled((40, 16), lambda pen: pen.rounded((0, 0, 40, 16), 8, WHITE),
                  vertical((40, 16), (118, 212, 226), (52, 160, 204)))


def tab_underline():
    return smooth((40, 3), lambda pen: pen.rounded((0, 0, 40, 3), 1.5, TEAL + (255,)))


def card():
    """A translucent white panel with a soft shadow; drawn with corner='18,18,18,18'."""
    size = (60, 60)
    body = smooth(size, lambda pen: pen.rounded((8, 7, 52, 51), 10, (255, 255, 255, 226)))
    return with_shadow(body, (0, 2), 3.5, 0.55)


def mark(fill, glyph):
    def paint(pen):
        pen.circle((9, 9), 8, fill + (255,))
        glyph(pen)
    return smooth((18, 18), paint)


def tick_glyph(pen):
    pen.line([(5.2, 9.4), (7.9, 12), (12.9, 6.4)], WHITE + (255,), 1.8)


def cross_glyph(pen):
    pen.line([(6.2, 6.2), (11.8, 11.8)], WHITE + (255,), 1.8)
    pen.line([(11.8, 6.2), (6.2, 11.8)], WHITE + (255,), 1.8)


def delete_cross():
    """The account list's delete button: 17x15 normal (grey) then 17x15 hot (red)."""
    def paint(pen):
        for left, ink in ((0, (150, 160, 172, 255)), (17, RED + (255,))):
            if left:
                pen.circle((left + 8.5, 7.5), 6.5, (253, 226, 222, 255))
            pen.line([(left + 5.5, 4.5), (left + 11.5, 10.5)], ink, 1.5)
            pen.line([(left + 11.5, 4.5), (left + 5.5, 10.5)], ink, 1.5)
    return smooth((34, 15), paint)


def star_points(cx, cy, outer, inner):
    return [(cx + (outer if k % 2 == 0 else inner) * math.sin(math.pi * k / 5),
             cy - (outer if k % 2 == 0 else inner) * math.cos(math.pi * k / 5))
            for k in range(10)]


def badge(colours, glyph):
    """A round 34x34 badge button strip (normal, hot, pushed, disabled)."""
    size = (34, 34)
    disc = filled(size, lambda pen: pen.circle((17, 16), 14, WHITE), vertical(size, *colours))
    disc = Image.alpha_composite(disc, smooth(size, glyph))
    normal = with_shadow(disc, (0, 1), 1.6, 0.35)
    return strip([normal, with_shadow(tinted(disc, WHITE, 0.14), (0, 1), 1.8, 0.45),
                  with_shadow(tinted(disc, (0, 0, 0), 0.14), (0, 1), 1, 0.2), greyed(normal)])


def star_glyph(pen):
    pen.polygon(star_points(17, 16.6, 8.6, 3.8), WHITE + (255,))


def chat_glyph(pen):
    pen.rounded((8.5, 9, 25.5, 21.5), 5.5, WHITE + (255,))
    pen.polygon([(11.5, 20), (11, 25.5), (16.5, 21)], WHITE + (255,))
    for x in (12.8, 17, 21.2):
        pen.circle((x, 15.3), 1.35, (52, 168, 110, 255))


# The emblem's vane, in units of the emblem's size: a white left blade and a warm right blade.
VANE_LEFT = [(.20, .25), (.37, .25), (.52, .66), (.45, .80)]
VANE_RIGHT = [(.63, .25), (.80, .25), (.55, .80), (.48, .62)]


def emblem(size):
    """The brand emblem: a rounded square in teal to blue with a two-tone vane."""
    def shape(pen):
        pen.rounded((0, 0, size, size), size * 0.26, WHITE)
    body = filled((size, size), shape,
                  field((size, size), diagonal(45), [(40, 196, 200), (34, 98, 196)],
                        grid=(size, size)))

    def vane(pen):
        for blade, colour in ((VANE_LEFT, WHITE), (VANE_RIGHT, ACCENT_TOP)):
            pen.polygon([(x * size, y * size) for x, y in blade], colour + (255,))
    return Image.alpha_composite(body, smooth((size, size), vane))


def title_logo():
    picture = Image.new('RGBA', (28, 28), (0, 0, 0, 0))
    picture.paste(emblem(24), (2, 1))
    return with_shadow(picture, (0, 1), 1.2, 0.35)


# ---------------------------------------------------------------- advertisement placeholder

def heart(pen, x, y, s, fill):
    pen.circle((x + .29 * s, y + .33 * s), .25 * s, fill)
    pen.circle((x + .71 * s, y + .33 * s), .25 * s, fill)
    pen.polygon([(x + .06 * s, y + .42 * s), (x + .5 * s, y + .95 * s), (x + .94 * s, y + .42 * s),
                 (x + .5 * s, y + .3 * s)], fill)


def spade(pen, x, y, s, fill):
    pen.circle((x + .3 * s, y + .58 * s), .22 * s, fill)
    pen.circle((x + .7 * s, y + .58 * s), .22 * s, fill)
    pen.polygon([(x + .09 * s, y + .53 * s), (x + .5 * s, y + .02 * s), (x + .91 * s, y + .53 * s),
                 (x + .5 * s, y + .75 * s)], fill)
    pen.polygon([(x + .5 * s, y + .6 * s), (x + .33 * s, y + s), (x + .67 * s, y + s)], fill)


def playing_card(suit, ink):
    size = (76, 104)

    def paint(pen):
        pen.rounded((6, 6, 70, 98), 7, (253, 252, 248, 255))
        suit(pen, 22, 30, 32, ink + (255,))
        suit(pen, 11, 12, 10, ink + (255,))
        suit(pen, 55, 82, 10, ink + (255,))
    return with_shadow(smooth(size, paint), (1, 3), 3, 0.45)


def die():
    size = (72, 72)

    def paint(pen):
        pen.rounded((6, 6, 66, 66), 12, (252, 252, 250, 255))
        for px, py in ((20, 20), (52, 20), (36, 36), (20, 52), (52, 52)):
            pen.circle((px, py), 5, (36, 60, 110, 255) if (px, py) != (36, 36) else RED + (255,))
    return with_shadow(smooth(size, paint), (1, 3), 3, 0.45)


def chip():
    size = (68, 68)

    def paint(pen):
        pen.circle((34, 34), 28, ACCENT_BOTTOM + (255,))
        for k in range(8):
            a = math.pi * k / 4
            pen.line([(34 + 21 * math.cos(a), 34 + 21 * math.sin(a)),
                      (34 + 27 * math.cos(a), 34 + 27 * math.sin(a))], WHITE + (255,), 5)
        pen.circle((34, 34), 16, (255, 236, 214, 255))
        pen.circle((34, 34), 16, None, ACCENT_BOTTOM + (255,), 1.5)
    return with_shadow(smooth(size, paint), (1, 3), 3, 0.45)


def place(base, item, centre, angle):
    turned = item.rotate(angle, BICUBIC, expand=True)
    overlay(base, turned, centre[0] - turned.width // 2, centre[1] - turned.height // 2)


def word_mark(base, x, y):
    font = ImageFont.truetype(FONT_FILE, 34)
    layer = Image.new('RGBA', base.size, (0, 0, 0, 0))
    draw = ImageDraw.Draw(layer)
    draw.text((x + 44, y), 'Velmora', WHITE + (255,), font, stroke_width=1,
              stroke_fill=WHITE + (255,))
    draw.rounded_rectangle((x + 46, y + 48, x + 100, y + 52), 2, ACCENT_TOP + (255,))
    base.alpha_composite(with_shadow(layer, (0, 2), 3, 0.4))
    overlay(base, emblem(36), x, y + 4)


def advertisement():
    rng = random.Random(7)
    picture = field((380, 312), diagonal(40), [(28, 40, 108), (34, 92, 170), (22, 150, 162)],
                    grid=(76, 64))
    soft_light(picture, (330, 50), 200, (255, 190, 120), 0.35)
    soft_light(picture, (60, 272), 200, (90, 220, 220), 0.3)
    bokeh(picture, rng, 16, [WHITE, (200, 240, 250)], (5, 24), (18, 50), 2)
    place(picture, playing_card(heart, (214, 56, 64)), (96, 118), 12)
    place(picture, playing_card(spade, (30, 40, 66)), (160, 104), -6)
    place(picture, die(), (262, 132), -16)
    place(picture, chip(), (310, 70), 10)
    word_mark(picture, 26, 216)
    return picture


# ---------------------------------------------------------------- avatar faces

FACE = 45
FACE_BACKGROUNDS = [(170, 210, 240), (180, 230, 210), (250, 215, 170), (240, 190, 204),
                    (212, 202, 246), (204, 234, 172), (250, 234, 160), (168, 224, 230),
                    (236, 206, 184), (200, 214, 232)]
SKINS = [(255, 226, 200), (247, 208, 172), (234, 186, 146), (212, 158, 112), (176, 120, 84),
         (134, 90, 62)]
HAIRS = [(44, 34, 32), (96, 60, 38), (166, 104, 52), (226, 184, 100), (192, 74, 44),
         (124, 128, 142), (118, 86, 172)]
SHIRTS = [(52, 110, 200), (232, 112, 72), (60, 172, 132), (150, 92, 192), (240, 182, 62),
          (70, 82, 104), (220, 82, 122), (40, 160, 172)]
HAIR_STYLES = ['short', 'long', 'spiky', 'bun', 'curly', 'side', 'bob']
EYES = ['dot', 'big', 'happy', 'wink']
MOUTHS = ['smile', 'open', 'small', 'grin']
ACCESSORIES = [None, None, 'glasses', 'blush', 'cap', 'bow', 'headphones']
HEAD = (12, 9.5, 33, 32)
DARK = (44, 36, 40, 255)


def draw_hair_back(pen, style, colour):
    if style == 'long':
        pen.rounded((9.5, 8, 35.5, 38), 8, colour)
    elif style == 'bob':
        pen.rounded((9.8, 7.5, 35.2, 29.5), 9, colour)
    elif style == 'bun':
        pen.circle((22.5, 6.5), 4.6, colour)


def draw_hair_front(pen, style, colour):
    pen.chord((11.2, 7.2, 33.8, 28), 180, 360, colour)
    if style == 'spiky':
        tips = [(11.5, 17), (12.5, 8), (16, 12), (18.5, 4.5), (22, 10), (25.5, 4), (28, 10.5),
                (32, 6.5), (33.5, 17)]
        pen.polygon(tips, colour)
    elif style == 'side':
        pen.polygon([(12, 18.5), (16, 11), (27, 9), (33.4, 16.5), (25, 13.4), (17, 16)], colour)
    elif style == 'curly':
        for k in range(9):
            a = math.radians(170 + 200 * k / 8)
            pen.circle((22.5 + 10.6 * math.cos(a), 18.5 + 10.2 * math.sin(a)), 3.4, colour)
    elif style in ('long', 'bob'):
        pen.polygon([(12, 19), (14, 11), (22.5, 13.5), (31, 11), (33, 19), (28, 14.5),
                     (17, 14.5)], colour)


def draw_eyes(pen, kind):
    for x, wink in ((18.3, False), (26.7, kind == 'wink')):
        if kind == 'happy' or wink:
            pen.arc((x - 2, 19.8, x + 2, 23.6), 200, 340, DARK, 1.1)
        elif kind == 'big':
            pen.ellipse((x - 2.3, 18.4, x + 2.3, 23.8), WHITE + (255,), DARK, 0.5)
            pen.circle((x + 0.2, 21.4), 1.5, DARK)
            pen.circle((x + 0.8, 20.6), 0.5, WHITE + (255,))
        else:
            pen.ellipse((x - 1.3, 19.6, x + 1.3, 22.8), DARK)


def draw_mouth(pen, kind):
    lip = (160, 62, 66, 255)
    if kind == 'smile':
        pen.arc((18.6, 22.6, 26.4, 28.6), 25, 155, lip, 1.2)
    elif kind == 'open':
        pen.chord((18.8, 24.2, 26.2, 30.2), 0, 180, (176, 62, 72, 255))
        pen.chord((20.4, 27.4, 24.6, 30.2), 180, 360, (236, 130, 134, 255))
    elif kind == 'small':
        pen.ellipse((21.3, 26.2, 23.7, 28.6), (180, 72, 76, 255))
    else:
        pen.chord((18.2, 23.8, 26.8, 29.8), 0, 180, WHITE + (255,))
        pen.arc((18.2, 23.8, 26.8, 29.8), 0, 180, lip, 0.9)
        pen.line([(18.6, 26.8), (26.4, 26.8)], lip, 0.6)


def draw_accessory(pen, kind, tint):
    if kind == 'glasses':
        for x in (18.3, 26.7):
            pen.circle((x, 21.2), 3.3, None, DARK, 0.9)
        pen.line([(21.6, 20.8), (23.4, 20.8)], DARK, 0.8)
    elif kind == 'blush':
        for x in (15.2, 29.8):
            pen.ellipse((x - 2.2, 24.2, x + 2.2, 26.6), (244, 120, 130, 120))
    elif kind == 'cap':
        pen.chord((11, 5.2, 34, 27.5), 180, 360, tint + (255,))
        pen.rounded((20, 14, 39, 17.6), 1.8, mix(tint, (0, 0, 0), 0.2) + (255,))
        pen.circle((22.5, 5.6), 1.3, mix(tint, WHITE, 0.4) + (255,))
    elif kind == 'bow':
        pen.polygon([(31, 9), (26.5, 5.5), (26.5, 12.5)], (232, 74, 112, 255))
        pen.polygon([(31, 9), (35.5, 5.5), (35.5, 12.5)], (232, 74, 112, 255))
        pen.circle((31, 9), 1.6, (250, 140, 170, 255))
    elif kind == 'headphones':
        pen.arc((10, 4.5, 35, 34), 190, 350, (60, 64, 76, 255), 2)
        for x in (8.6, 32.4):
            pen.rounded((x, 16.5, x + 4, 26), 1.8, tint + (255,))


def face(index):
    """Face 0 is the neutral default silhouette; every other index a different cartoon face."""
    if index == 0:
        def silhouette(pen):
            pen.ellipse((5, 32, 40, 62), (166, 178, 194, 255))
            pen.ellipse((13.5, 8, 31.5, 29), (166, 178, 194, 255))
        return smooth((FACE, FACE), silhouette, 'RGB', (216, 223, 232))
    rng = random.Random(1000 + index)
    skin = SKINS[rng.randrange(len(SKINS))] + (255,)
    hair = HAIRS[index % len(HAIRS)] + (255,)
    shirt = SHIRTS[rng.randrange(len(SHIRTS))]
    style, eyes, mouth = rng.choice(HAIR_STYLES), rng.choice(EYES), rng.choice(MOUTHS)
    accessory = rng.choice(ACCESSORIES)

    def paint(pen):
        draw_hair_back(pen, style, hair)
        pen.ellipse((5, 34, 40, 62), shirt + (255,))
        pen.rounded((19, 28, 26, 37), 3, mix(skin, (0, 0, 0), 0.08) + (255,))
        pen.ellipse((9.8, 18.2, 14.2, 24.8), skin)
        pen.ellipse((30.8, 18.2, 35.2, 24.8), skin)
        pen.ellipse(HEAD, skin)
        draw_hair_front(pen, style, hair)
        draw_eyes(pen, eyes)
        pen.arc((21.4, 22.6, 23.6, 25), 20, 160, mix(skin, (0, 0, 0), 0.3) + (255,), 0.8)
        draw_mouth(pen, mouth)
        draw_accessory(pen, accessory, SHIRTS[(SHIRTS.index(shirt) + 3) % len(SHIRTS)])
    background = FACE_BACKGROUNDS[index % len(FACE_BACKGROUNDS)]
    return smooth((FACE, FACE), paint, 'RGB', background)


# Backgrounds follow index % 10 and hair colours index % 7, so no two of the first 70 faces
# share both.
FACE_COUNT = 70


def face_strip():
    picture = Image.new('RGB', (FACE * FACE_COUNT, FACE))
    for index in range(FACE_COUNT):
        picture.paste(face(index), (index * FACE, 0))
    return picture


# ---------------------------------------------------------------- output

def pictures():
    """Every picture as (path under TesselRes, function drawing it)."""
    items = [('Skin/ColorSkin/Skin/bkg_%d.jpg' % n,
              lambda draw=draw, n=n: draw(random.Random(100 + n)))
             for n, draw in enumerate(BACKGROUNDS)]
    items += [
        ('Lobby/BIG_FACE.bmp', face_strip),
        ('Skin/Common/sys_close.png',
         lambda: caption_button(close_glyph, (232, 72, 63, 255), (200, 52, 46, 255))),
        ('Skin/Common/sys_min.png',
         lambda: caption_button(minimise_glyph, (255, 255, 255, 56), (255, 255, 255, 34))),
        ('Skin/Common/btn_main.png', main_button),
        ('Skin/Common/btn_second.png', secondary_button),
        ('Skin/Common/edit.png', edit_frame),
        ('Skin/Common/check.png', lambda: check_box(False)),
        ('Skin/Common/radio.png', lambda: check_box(True)),
        ('Skin/Common/card.png', card),
        ('Skin/Common/logo.png', title_logo),
        ('Skin/Login/account_combo.png', account_combo),
        ('Skin/Login/progress_back.png', progress_back),
        ('Skin/Login/progress_fore.png', progress_fore),
        ('Skin/Login/qq.png', lambda: badge(((108, 150, 246), (64, 104, 222)), star_glyph)),
        ('Skin/Login/wechat.png', lambda: badge(((96, 206, 140), (44, 166, 104)), chat_glyph)),
        ('Skin/Login/ad.jpg', advertisement),
        ('Skin/Login/delete.png', delete_cross),
        ('Skin/Register/tab_line.png', tab_underline),
        ('Skin/Register/mark_ok.png', lambda: mark(GREEN, tick_glyph)),
        ('Skin/Register/mark_bad.png', lambda: mark(RED, cross_glyph)),
    ]
    return items


def main(argv):
    if len(argv) != 2:
        sys.stderr.write('usage: make_images.py OUTDIR  (OUTDIR: the TesselRes folder)\n')
        return 2
    for relative, draw in pictures():
        save(draw(), argv[1], relative)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
