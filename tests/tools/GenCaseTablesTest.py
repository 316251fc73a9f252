"""Tests of tools/gen-case-tables.py on small Unicode data files of its own. Run by CTest, which sets
QV_GEN_CASE_TABLES to the generator."""

import os
import re
import subprocess
import sys
import tempfile
import unittest

GENERATOR = os.environ.get("QV_GEN_CASE_TABLES", os.path.join(
    os.path.dirname(__file__), "..", "..", "tools", "gen-case-tables.py"))

CASE_FOLDING = """\
# CaseFolding-15.0.0.txt
0041; C; 0061; # LATIN CAPITAL LETTER A
00B5; C; 03BC; # MICRO SIGN
03A3; C; 03C3; # GREEK CAPITAL LETTER SIGMA
03C2; C; 03C3; # GREEK SMALL LETTER FINAL SIGMA
13F8; C; 13F0; # CHEROKEE SMALL LETTER YE
1E9E; F; 0073 0073; # LATIN CAPITAL LETTER SHARP S
1E9E; S; 00DF; # LATIN CAPITAL LETTER SHARP S
212A; C; 006B; # KELVIN SIGN
AB70; C; 13A0; # CHEROKEE SMALL LETTER A
10400; C; 10428; # DESERET CAPITAL LETTER LONG I
"""

# code; category; simple upper case; simple lower case
UNICODE_DATA = [
    ("0041", "Lu", "", "0061"), ("0061", "Ll", "0041", ""), ("006B", "Ll", "004B", ""),
    ("00B5", "Ll", "039C", ""), ("00DF", "Ll", "", ""), ("039C", "Lu", "", "03BC"),
    ("03A3", "Lu", "", "03C3"), ("03BC", "Ll", "039C", ""), ("03C2", "Ll", "03A3", ""),
    ("03C3", "Ll", "03A3", ""), ("13A0", "Lu", "", "AB70"), ("13F0", "Lu", "", "13F8"),
    ("13F8", "Ll", "13F0", ""), ("1E9E", "Lu", "", "00DF"), ("212A", "Lu", "", "006B"),
    ("AB70", "Ll", "13A0", ""), ("10400", "Lu", "", "10428"), ("10428", "Ll", "10400", ""),
]


def unicode_data_line(code, category, upper, lower):
    return ";".join([code, "NAME", category, "0", "L", "", "", "", "", "N", "", "", upper, lower,
                     upper]) + "\n"


class GenCaseTables(unittest.TestCase):
    def generate(self, case_folding, unicode_data):
        with tempfile.TemporaryDirectory() as folder:
            with open(os.path.join(folder, "CaseFolding.txt"), "w") as f:
                f.write(case_folding)
            with open(os.path.join(folder, "UnicodeData.txt"), "w") as f:
                f.writelines(unicode_data_line(*row) for row in unicode_data)
            output = os.path.join(folder, "CaseTables.cpp")
            result = subprocess.run([sys.executable, GENERATOR, "--unicode-dir", folder,
                                     "--output", output], capture_output=True, text=True)
            text = open(output).read() if result.returncode == 0 else ""
        return result, text

    @staticmethod
    def table(text, name):
        body = re.search(r"const CasePair %s\[\] = \{(.*?)\};" % name, text, re.S).group(1)
        count = int(re.search(r"k%sCount = (\d+);" % name, text).group(1))
        pairs = [(int(s, 16), int(t, 16)) for s, t in re.findall(r"\{0x(\w+), 0x(\w+)\}", body)]
        assert count == len(pairs), "the count does not match the table"
        return pairs

    def test_lower_case_pairs_never_give_a_capital(self):
        result, text = self.generate(CASE_FOLDING, UNICODE_DATA)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertIn("Unicode 15.0.0", text)
        # The Cherokee small letters fold onto their capitals: those pairs run from the capital
        # to the small letter. The rest are the simple foldings as they stand; full foldings and
        # code points above U+FFFF are left out.
        self.assertEqual(self.table(text, "CaseFoldPairs"), [
            (0x0041, 0x0061), (0x00B5, 0x03BC), (0x03A3, 0x03C3), (0x03C2, 0x03C3),
            (0x13A0, 0xAB70), (0x13F0, 0x13F8), (0x1E9E, 0x00DF), (0x212A, 0x006B)])
        self.assertEqual(self.table(text, "CaseUpperPairs"), [
            (0x0061, 0x0041), (0x006B, 0x004B), (0x00B5, 0x039C), (0x03BC, 0x039C),
            (0x03C2, 0x03A3), (0x03C3, 0x03A3), (0x13F8, 0x13F0), (0xAB70, 0x13A0)])

    def test_a_capital_without_a_lower_case_is_refused(self):
        data = [row if row[0] != "13F0" else ("13F0", "Lu", "", "") for row in UNICODE_DATA]
        result, _ = self.generate(CASE_FOLDING, data)
        self.assertNotEqual(result.returncode, 0)
        self.assertIn("U+13F0", result.stderr)


if __name__ == "__main__":
    unittest.main(verbosity=2)
