#!/usr/bin/env python3
"""The skin and the pictures make_images.py draws: every picture a skin names exists, loads and
holds the part the skin cuts from it, and every control the launcher looks up is named exactly
once. The toolkit's Wine tests and the skin screenshots draw the skins for real.
"""
import os
import re
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ElementTree

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
IMAGE_ATTRIBUTE = re.compile(r'([a-z]*image)="([^"]*)"')

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


class SkinAndPictures(unittest.TestCase):
    def test_the_skins_find_their_pictures_and_controls(self):
        with tempfile.TemporaryDirectory(prefix='skin-pictures-') as temp:
            tessel = os.path.join(temp, 'TesselRes')
            subprocess.run([sys.executable, os.path.join(HERE, 'make_images.py'), tessel],
                           check=True, timeout=120)
            for relative, wanted in CONTROL_NAMES.items():
                root = ElementTree.parse(os.path.join(HERE, *relative.split('/'))).getroot()
                names = [e.get('name') for e in root.iter()]
                self.assertEqual([n for n in wanted if names.count(n) != 1], [], relative)
                # Image attributes, in the elements and inside <Default value="..."/> alike.
                images = [v for e in root.iter() for a, v in e.attrib.items()
                          if a.endswith('image')]
                images += [v for d in root.iter('Default')
                           for _, v in IMAGE_ATTRIBUTE.findall(d.get('value', ''))]
                for image in images:
                    self.assert_picture_holds(tessel, image, relative)

    def assert_picture_holds(self, tessel, image, relative):
        named = dict(re.findall(r"([A-Za-z]+)='([^']*)'", image))
        pairs = named if "='" in image else {'file': image}
        self.assertTrue(pairs.get('file'), '%s: %r' % (relative, image))
        # The toolkit looks in the skin folder first, then in the program folder.
        parts = [p for p in re.split(r'[\\/]+', pairs['file']) if p]
        bases = (os.path.join(tessel, 'Skin'), os.path.dirname(tessel))
        paths = [os.path.join(base, *parts) for base in bases]
        path = next((p for p in paths if os.path.isfile(p)), None)
        self.assertIsNotNone(path, '%s: %s was not drawn' % (relative, pairs['file']))
        with Image.open(path) as picture:
            picture.load()
            source = pairs.get('source')
            left, top, right, bottom = ([int(v) for v in source.split(',')] if source
                                        else (0, 0) + picture.size)
            self.assertTrue(0 <= left < right <= picture.width and
                            0 <= top < bottom <= picture.height,
                            '%s: %s cut outside the picture' % (relative, pairs['file']))


if __name__ == '__main__':
    unittest.main()
