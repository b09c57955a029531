#!/usr/bin/env python3
"""Checks the skin files and the pictures make_images.py draws against what the launcher and its
toolkit rely on: every picture a skin names exists, loads and holds the parts the skin cuts from
it; the background pictures, the avatar strip and the account list's delete button have the shape
the code expects; the skins use only the toolkit's vocabulary and name every control the code
looks up exactly once; two runs draw the same bytes.

usage: make_images_test.py   (exit code 0 when every check passes, 1 otherwise)
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ElementTree

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
GENERATOR = os.path.join(HERE, 'make_images.py')

# The controls the launcher finds by name, per skin file.
CONTROL_NAMES = {
    'Login/login.xml': [
        'backlayout', 'web', 'UpdateState', 'AllFileProgress', 'LogonRegister', 'LogonAccount',
        'Account', 'PassWord', 'SavePassword', 'GetPassword', 'Logon', 'Register', 'QQLogon',
        'WXLogon', 'LogonLineAuto', 'LogonLine0', 'LogonLine2', 'LogonWeb', 'WXLogonWeb',
        'CloseWindow', 'MinWindow', 'WebIndex', 'RegisterTop', 'Pay', 'QQOnline'],
    'MessageBox/MessageBox.xml': [
        'MessageBox_back', 'content', 'button0', 'button1', 'button2', 'closebtn'],
    'Register/RegisterWnd_S.xml': [
        'register_back', 'close_bt', 'Registertabs', 'TelPhoneRegisterWeb', 'NorRegister_bt',
        'TelPhoneRegister_bt', 'Account_edit', 'Account_option', 'Account_tooltip',
        'NickName_edit', 'NickName_option', 'NickName_tooltip', 'RandNickname_bt', 'Pass_edit',
        'Pass_option', 'Pass2_edit', 'Pass2_option', 'RealName_edit', 'UserCardID_edit',
        'SpeedUserName_edit', 'ValidateCode_edit', 'ValidateCode', 'Licence_bt', 'register_bt',
        'cancel_bt'],
}

# The toolkit's vocabulary: which attributes each control class understands.
COMMON = {'name', 'width', 'height', 'pos', 'float', 'padding', 'bkcolor', 'bordercolor',
          'bordersize', 'borderround', 'bkimage', 'text', 'textcolor', 'disabledtextcolor',
          'font', 'align', 'valign', 'textpadding', 'endellipsis', 'tooltip', 'visible',
          'enabled', 'mouse'}
CONTAINER = COMMON | {'inset', 'childpadding'}
BUTTON = COMMON | {'normalimage', 'hotimage', 'pushedimage', 'disabledimage', 'focusedimage',
                   'hottextcolor', 'pushedtextcolor'}
EDIT = COMMON | {'password', 'maxchar', 'readonly', 'normalimage', 'hotimage', 'focusedimage',
                 'disabledimage', 'tipvalue', 'tipvaluecolor'}
ATTRIBUTES = {
    'Control': COMMON, 'Label': COMMON, 'Text': COMMON, 'Verify': COMMON, 'WebBrowser': COMMON,
    'VerticalLayout': CONTAINER, 'HorizontalLayout': CONTAINER, 'Container': CONTAINER,
    'TabLayout': CONTAINER | {'selectedid'},
    'Button': BUTTON,
    'Option': BUTTON | {'group', 'selected', 'selectedimage', 'selectedhotimage',
                        'selectedtextcolor'},
    'Edit': EDIT, 'RichEdit': EDIT,
    'Progress': COMMON | {'foreimage', 'min', 'max', 'value'},
    'Combo': BUTTON | {'dropboxsize', 'itembkcolor', 'itemhotbkcolor', 'itemselectedbkcolor'},
}
WINDOW_ATTRIBUTES = {'size', 'caption', 'roundcorner'}
FONT_ATTRIBUTES = {'id', 'name', 'size', 'bold', 'underline', 'default'}
IMAGE_ATTRIBUTES = {'bkimage', 'normalimage', 'hotimage', 'pushedimage', 'disabledimage',
                    'focusedimage', 'selectedimage', 'selectedhotimage', 'foreimage'}
IMAGE_KEYS = {'file', 'source', 'corner', 'dest', 'mask'}

ATTRIBUTE_LIST = re.compile(r'\s*([A-Za-z]+)="([^"]*)"')
IMAGE_PAIR = re.compile(r"\s*([A-Za-z]+)='([^']*)'")


def parse_pairs(text, pattern):
    """key/value pairs of an attribute list; None when anything else is in the text."""
    pairs, position = [], 0
    while position < len(text.rstrip()):
        match = pattern.match(text, position)
        if not match:
            return None
        pairs.append(match.groups())
        position = match.end()
    return pairs


def parse_image(text):
    """An image string as a dict with at least 'file'; None when it is malformed."""
    if "='" not in text:
        return {'file': text}
    pairs = parse_pairs(text, IMAGE_PAIR)
    if pairs is None or 'file' not in dict(pairs) or not set(dict(pairs)) <= IMAGE_KEYS:
        return None
    return dict(pairs)


def numbers(text, count):
    values = [int(v) for v in text.split(',')]
    if len(values) != count:
        raise ValueError('%r is not %d numbers' % (text, count))
    return values


def run_generator(outdir):
    return subprocess.run([sys.executable, GENERATOR, outdir], capture_output=True, text=True,
                          timeout=120)


def tree_files(root):
    found = {}
    for folder, _, files in os.walk(root):
        for name in files:
            path = os.path.join(folder, name)
            with open(path, 'rb') as f:
                found[os.path.relpath(path, root)] = f.read()
    return found


class Skin:
    """One skin file: its controls with the attributes they end up with (defaults applied)."""

    def __init__(self, relative):
        self.relative = relative
        self.root = ElementTree.parse(os.path.join(HERE, *relative.split('/'))).getroot()
        children = list(self.root)
        self.fonts = [c for c in children if c.tag == 'Font']
        self.defaults = [c for c in children if c.tag == 'Default']
        self.controls = [c for c in children if c.tag not in ('Font', 'Default')]
        self.order = [c.tag if c.tag in ('Font', 'Default') else 'control' for c in children]

    def default_attributes(self):
        """{class: [(attribute, value)]} from the <Default> elements (None if malformed)."""
        return {d.get('name'): parse_pairs(d.get('value', ''), ATTRIBUTE_LIST)
                for d in self.defaults}

    def elements(self):
        return [e for control in self.controls for e in control.iter()]

    def image_strings(self):
        for element in self.elements():
            for attribute, value in element.attrib.items():
                if attribute in IMAGE_ATTRIBUTES:
                    yield element.tag, attribute, value
        for cls, pairs in self.default_attributes().items():
            for attribute, value in pairs or []:
                if attribute in IMAGE_ATTRIBUTES:
                    yield cls, attribute, value


SKINS = [Skin(relative) for relative in CONTROL_NAMES]


class GeneratedPictures(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.temp = tempfile.mkdtemp(prefix='skin-pictures-')
        cls.tessel = os.path.join(cls.temp, 'first', 'TesselRes')
        cls.again = os.path.join(cls.temp, 'second', 'TesselRes')
        for outdir in (cls.tessel, cls.again):
            result = run_generator(outdir)
            if result.returncode != 0:
                raise AssertionError('make_images.py failed:\n' + result.stderr)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.temp)

    def resolve(self, file_name):
        """Where the toolkit finds a skin's file: the skin folder, else the program folder."""
        parts = [p for p in re.split(r'[\\/]+', file_name) if p]
        for base in (os.path.join(self.tessel, 'Skin'), os.path.dirname(self.tessel)):
            path = os.path.join(base, *parts)
            if os.path.isfile(path):
                return path
        return None

    def open_picture(self, relative):
        path = os.path.join(self.tessel, *relative.split('/'))
        self.assertTrue(os.path.isfile(path), relative + ' was not drawn')
        picture = Image.open(path)
        picture.load()
        return picture

    def test_two_runs_write_the_same_bytes(self):
        first, second = tree_files(self.tessel), tree_files(self.again)
        self.assertEqual(sorted(first), sorted(second))
        changed = [name for name in first if first[name] != second[name]]
        self.assertEqual(changed, [], 'pictures that differ between two runs')

    def test_every_picture_a_skin_names_loads_and_holds_the_parts_cut_from_it(self):
        for skin in SKINS:
            for cls, attribute, text in skin.image_strings():
                where = '%s %s %s=%r' % (skin.relative, cls, attribute, text)
                with self.subTest(where):
                    image = parse_image(text)
                    self.assertIsNotNone(image, 'malformed image string')
                    path = self.resolve(image['file'])
                    self.assertIsNotNone(path, 'file not found')
                    with Image.open(path) as picture:
                        picture.load()
                        self.assert_parts_fit(image, picture.size)

    def assert_parts_fit(self, image, size):
        left, top, right, bottom = (numbers(image['source'], 4) if 'source' in image
                                    else (0, 0) + size)
        self.assertTrue(0 <= left < right <= size[0] and 0 <= top < bottom <= size[1],
                        'source outside the %dx%d picture' % size)
        if 'corner' in image:
            l, t, r, b = numbers(image['corner'], 4)
            self.assertTrue(min(l, t, r, b) >= 0 and l + r < right - left
                            and t + b < bottom - top, 'corners leave no middle to stretch')
        if 'dest' in image:
            l, t, r, b = numbers(image['dest'], 4)
            self.assertTrue(0 <= l < r and 0 <= t < b, 'empty destination')

    def test_twelve_distinct_jpeg_backgrounds_cover_the_largest_window(self):
        largest = [max(numbers(s.root.get('size'), 2)[i] for s in SKINS) for i in (0, 1)]
        seen = []
        for n in range(12):
            with self.subTest(background=n):
                picture = self.open_picture('Skin/ColorSkin/Skin/bkg_%d.jpg' % n)
                self.assertEqual(picture.format, 'JPEG')
                self.assertGreaterEqual(picture.width, largest[0])
                self.assertGreaterEqual(picture.height, largest[1])
                pixels = picture.convert('RGB').tobytes()
                self.assertNotIn(pixels, seen, 'same picture as an earlier background')
                seen.append(pixels)
        self.assertFalse(os.path.exists(os.path.join(self.tessel, 'Skin', 'ColorSkin', 'Skin',
                                                     'bkg_12.jpg')), 'a thirteenth background')

    def test_face_strip_is_a_24_bit_bmp_of_at_least_65_distinct_faces(self):
        strip = self.open_picture('Lobby/BIG_FACE.bmp')
        self.assertEqual(strip.format, 'BMP')
        with open(os.path.join(self.tessel, 'Lobby', 'BIG_FACE.bmp'), 'rb') as f:
            header = f.read(30)
        self.assertEqual(int.from_bytes(header[28:30], 'little'), 24, 'bits per pixel')
        self.assertEqual(strip.height, 45)
        self.assertEqual(strip.width % 45, 0, 'width is not a whole number of faces')
        count = strip.width // 45
        self.assertGreaterEqual(count, 65)
        faces = [strip.crop((45 * n, 0, 45 * n + 45, 45)).tobytes() for n in range(count)]
        self.assertEqual(len(set(faces)), count, 'two faces are the same')

    def test_delete_button_is_a_grey_and_a_red_half_on_transparency(self):
        picture = self.open_picture('Skin/Login/delete.png')
        self.assertEqual(picture.format, 'PNG')
        self.assertEqual(picture.size, (34, 15))
        self.assertEqual(picture.mode, 'RGBA')
        self.assertEqual(picture.getchannel('A').getextrema(), (0, 255), 'needs clear and solid')
        normal, hot = picture.crop((0, 0, 17, 15)), picture.crop((17, 0, 34, 15))
        self.assertNotEqual(normal.tobytes(), hot.tobytes())
        self.assertGreater(self.reddest(hot), self.reddest(normal) + 100)

    @staticmethod
    def reddest(picture):
        """The largest red lead over green among visible pixels (grey: about 0, red: large)."""
        return max(r - g for r, g, b, a in picture.getdata() if a > 128)


class SkinFiles(unittest.TestCase):
    def test_windows_have_a_size_and_fonts_defaults_and_one_root_control_in_order(self):
        for skin in SKINS:
            with self.subTest(skin.relative):
                self.assertEqual(skin.root.tag, 'Window')
                self.assertTrue(set(skin.root.attrib) <= WINDOW_ATTRIBUTES)
                width, height = numbers(skin.root.get('size', ''), 2)
                self.assertTrue(width > 0 and height > 0)
                self.assertEqual(skin.order, sorted(skin.order, key=['Font', 'Default',
                                                                     'control'].index))
                self.assertEqual(len(skin.controls), 1, 'exactly one root control')
                self.assertEqual(sum(f.get('default') == 'true' for f in skin.fonts), 1)

    def test_every_control_the_code_finds_is_named_exactly_once(self):
        for skin in SKINS:
            names = [e.get('name') for e in skin.elements() if e.get('name') is not None]
            for name in CONTROL_NAMES[skin.relative]:
                with self.subTest(skin=skin.relative, name=name):
                    self.assertEqual(names.count(name), 1)
            duplicates = sorted({n for n in names if names.count(n) > 1})
            self.assertEqual(duplicates, [], skin.relative + ': names used twice')

    def test_only_the_toolkit_vocabulary_is_used(self):
        for skin in SKINS:
            with self.subTest(skin.relative):
                for font in skin.fonts:
                    self.assertTrue(set(font.attrib) <= FONT_ATTRIBUTES, font.attrib)
                for element in skin.elements():
                    self.assertIn(element.tag, ATTRIBUTES)
                    unknown = set(element.attrib) - ATTRIBUTES[element.tag]
                    self.assertEqual(unknown, set(), '%s %s' % (element.tag, element.get('name')))
                for cls, pairs in skin.default_attributes().items():
                    self.assertIn(cls, ATTRIBUTES)
                    self.assertIsNotNone(pairs, 'malformed <Default> value for ' + cls)
                    self.assertEqual({a for a, _ in pairs} - ATTRIBUTES[cls], set(), cls)

    def test_floating_controls_have_a_position(self):
        for skin in SKINS:
            for element in skin.elements():
                if element.get('float') == 'true':
                    with self.subTest(skin=skin.relative, name=element.get('name')):
                        left, top, right, bottom = numbers(element.get('pos', ''), 4)
                        self.assertTrue(left < right and top < bottom)

    def test_image_string_reader_rejects_what_the_toolkit_would_not_read(self):
        self.assertEqual(parse_image('Login/a.png'), {'file': 'Login/a.png'})
        self.assertEqual(parse_image("file='a.png' source='0,0,1,1'"),
                         {'file': 'a.png', 'source': '0,0,1,1'})
        self.assertIsNone(parse_image("source='0,0,1,1'"), 'no file')
        self.assertIsNone(parse_image("file='a.png' sorce='0,0,1,1'"), 'unknown key')
        self.assertIsNone(parse_image("file='a.png' source=0,0,1,1"), 'unquoted value')


class GeneratorCommandLine(unittest.TestCase):
    def test_without_an_output_folder_it_explains_its_usage_and_fails(self):
        result = subprocess.run([sys.executable, GENERATOR], capture_output=True, text=True,
                                timeout=60)
        self.assertEqual(result.returncode, 2)
        self.assertIn('usage', result.stderr)


if __name__ == '__main__':
    unittest.main()
