"""Tests of tools/qv-pack: small objects made with the i686 compiler are packed, and the payload
is read back with a reader of its own. Run by CTest, which sets:

  QV_PACK          the packer
  QV_I686_CC       the i686 mingw compiler
  QV_APP_C_FLAGS   the flags packed C applications are compiled with
  QV_RUNTIME       a built QuorvaneRuntime.exe
  QV_SOURCE_DIR    the source tree
"""

import os
import struct
import subprocess
import sys
import tempfile
import unittest

PACK = os.environ.get("QV_PACK", os.path.join(os.path.dirname(__file__), "..", "..", "tools",
                                              "qv-pack"))
CC = os.environ.get("QV_I686_CC", "i686-w64-mingw32-gcc")
SOURCE_DIR = os.environ.get("QV_SOURCE_DIR",
                            os.path.join(os.path.dirname(__file__), "..", ".."))
kEncodingUTF8 = 0x08000100
MEMBER_FILES = ("code.dat", "data.dat", "import.dat", "symbols.dat", "rsrc.dat", "options.dat")


# ---- a reader of payloads ------------------------------------------------------------------

class Payload:
    """The six members, their import records decoded and their fix-up chains walked."""

    def __init__(self, members):
        self.code, self.data, self.imports, symbols, self.rsrc, self.options = members
        self.runtime = {}  # (name, mode) -> chain sites
        self.declared = {}  # (procedure, library) -> chain sites
        self.relocations = {2: [], 3: [], 5: []}  # tag -> sites
        self._read_imports()
        self.symbols = self._read_symbols(symbols)

    def word(self, offset):
        return struct.unpack_from("<I", self.code, offset)[0]

    def chain(self, head):
        sites = []
        while head:
            assert head not in sites, "the chain loops"
            sites.append(head)
            head = self.word(head)
        return sites

    def _counted(self, at):
        length = self.imports[at]
        name = self.imports[at + 1:at + 1 + length].decode()
        assert self.imports[at + 1 + length] == 0, "a name lacks its NUL"
        return name, at + 2 + length

    def _read_imports(self):
        at = 0
        while at < len(self.imports):
            tag = self.imports[at]
            if tag == 1:
                mode, head = struct.unpack_from("<BI", self.imports, at + 1)
                name, at = self._counted(at + 6)
                assert (name, mode) not in self.runtime
                self.runtime[(name, mode)] = self.chain(head)
            elif tag == 4:
                head = struct.unpack_from("<I", self.imports, at + 1)[0]
                procedure, at = self._counted(at + 5)
                library, at = self._counted(at)
                assert (procedure, library) not in self.declared
                self.declared[(procedure, library)] = self.chain(head)
            elif tag in (2, 3, 5):
                self.relocations[tag].append(struct.unpack_from("<I", self.imports, at + 1)[0])
                at += 5
            else:
                raise AssertionError("unexpected import tag %d" % tag)

    @staticmethod
    def _read_symbols(member):
        if not member:
            return []
        count = struct.unpack_from("<I", member)[0]
        names = 4 + 8 * count
        pairs = []
        for i in range(count):
            offset, name = struct.unpack_from("<II", member, 4 + 8 * i)
            end = member.index(b"\0", names + name)
            pairs.append((offset, member[names + name:end].decode()))
        return pairs

    def symbol(self, name):
        offsets = [offset for offset, symbol in self.symbols if symbol == name]
        assert len(offsets) == 1, "%s: %r" % (name, offsets)
        return offsets[0]

    def literal(self, offset):
        """(length byte, text) of the literal string record at a data offset, checking the
        record's fixed fields."""
        count, pointer, size, length, encoding = struct.unpack_from("<IIIII", self.data, offset)
        assert (count, pointer, encoding) == (1, 0, kEncodingUTF8), (count, pointer, encoding)
        assert size == length + 2, (size, length)
        buffer = self.data[offset + 20:offset + 20 + size]
        assert len(buffer) == size and buffer[-1] == 0, "the buffer runs past the data member"
        return buffer[0], buffer[1:-1].decode()

    def all_sites(self):
        sites = [s for chain in list(self.runtime.values()) + list(self.declared.values())
                 for s in chain]
        return sorted(sites + [s for tag in self.relocations.values() for s in tag])


def read_fallback(directory):
    members = []
    for name in MEMBER_FILES:
        with open(os.path.join(directory, name), "rb") as f:
            members.append(f.read())
    return members


def split_members(payload):
    members = []
    at = 0
    for _ in MEMBER_FILES:
        count = struct.unpack_from("<I", payload, at)[0]
        members.append(payload[at + 4:at + 4 + count])
        at += 4 + count
    assert at == len(payload), "bytes after the options member"
    return members


# ---- fixtures ------------------------------------------------------------------------------

# The entry object: a site of each kind, every site marked by a label just before the
# instruction whose 32-bit operand (after one opcode byte) the site is.
ENTRY_SOURCE = r"""
    .text
    .globl _QvMain
_QvMain:
    pushl %ebp
    movl %esp, %ebp
add_lower_1: call _runtimeaddstring
add_lower_2: call _runtimeaddstring
add_exact:   call _RuntimeAddString
unlock_abs:  movl $_RuntimeUnlockString, %eax
unlock_rel:  call _RuntimeUnlockString
sleep_1:     call __qvdecl__kernel32__Sleep@4
sleep_2:     call __qvdecl__kernel32__Sleep@4
sleep_case:  call __qvdecl__Kernel32__Sleep
beep:        call __qvdecl__kernel32.dll__Beep@8
counter_ref: movl $_counter+4, %eax
scratch_ref: movl $scratch+4, %eax
helper_ref:  movl $_Helper+1, %eax
helper_call: call _Helper
tail_call:   call _Tail
hello_1:     movl $hello_text, %eax
hello_2:     movl $_HelloAgain, %eax
empty_ref:   movl $empty_text, %eax
long_ref:    movl $long_text, %eax
    leave
    ret

    .section .text$more, "xr"
    nop
    nop
    .globl _Tail
_Tail:
    ret

    .section .qvstr, "dr"
hello_text: .asciz "Hello"
empty_text: .asciz ""
long_text:  .fill 300, 1, 'x'
    .byte 0

    .bss
scratch: .space 8
"""

# A second object: what the entry object finds here is linked across objects.
OTHER_SOURCE = r"""
    .text
    nop
    nop
    nop
    .globl _Helper
_Helper:
    ret

    .data
    .long 7
    .globl _counter
_counter: .long 1, 2

    .section .qvstr, "dr"
    .globl _HelloAgain
_HelloAgain: .asciz "Hello"
"""


class PackerCase(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.TemporaryDirectory()
        self.dir = self.scratch.name

    def tearDown(self):
        self.scratch.cleanup()

    def path(self, name):
        return os.path.join(self.dir, name)

    def assemble(self, name, source):
        with open(self.path(name + ".s"), "w") as f:
            f.write(source)
        subprocess.run([CC, "-c", self.path(name + ".s"), "-o", self.path(name + ".o")],
                       check=True)
        return self.path(name + ".o")

    def run_pack(self, *arguments):
        return subprocess.run([sys.executable, PACK] + list(arguments), capture_output=True,
                              text=True)

    def pack(self, *arguments):
        result = self.run_pack(*arguments)
        self.assertEqual(result.returncode, 0, result.stderr)
        return result

    def pack_fallback(self, objects, *options):
        directory = self.path("members")
        self.pack("--fallback", directory, *(list(options) + list(objects)))
        return Payload(read_fallback(directory))


# ---- the members -----------------------------------------------------------------------------

class CodeAndImports(PackerCase):
    def setUp(self):
        super().setUp()
        self.payload = self.pack_fallback([self.assemble("entry", ENTRY_SOURCE),
                                           self.assemble("other", OTHER_SOURCE)])

    def site(self, label):
        return self.payload.symbol(label) + 1

    def test_entry_begins_the_code(self):
        self.assertEqual(self.payload.symbol("QvMain"), 0)
        self.assertEqual(self.payload.code[:3], b"\x55\x89\xe5")

    def test_runtime_functions_are_chained_per_name_as_spelt_and_mode(self):
        self.assertEqual(self.payload.runtime, {
            ("runtimeaddstring", 1): [self.site("add_lower_1"), self.site("add_lower_2")],
            ("RuntimeAddString", 1): [self.site("add_exact")],
            ("RuntimeUnlockString", 0): [self.site("unlock_abs")],
            ("RuntimeUnlockString", 1): [self.site("unlock_rel")],
        })

    def test_declared_functions_are_chained_per_library_and_procedure(self):
        self.assertEqual(self.payload.declared, {
            ("Sleep", "kernel32"): [self.site("sleep_1"), self.site("sleep_2")],
            ("Sleep", "Kernel32"): [self.site("sleep_case")],
            ("Beep", "kernel32.dll"): [self.site("beep")],
        })

    def test_addresses_of_data_and_code_keep_their_member_offsets(self):
        payload = self.payload
        counter, scratch = self.site("counter_ref"), self.site("scratch_ref")
        self.assertEqual(sorted(payload.relocations[2]), sorted([counter, scratch]))
        # counter + 4 is the second word of _counter, after the other object's leading word.
        self.assertEqual(struct.unpack_from("<I", payload.data, payload.word(counter))[0], 2)
        # The uninitialised section lies inside the data member, as zeros.
        self.assertLessEqual(payload.word(scratch) + 4, len(payload.data))
        self.assertEqual(payload.data[payload.word(scratch):payload.word(scratch) + 4], bytes(4))
        helper = payload.symbol("Helper")
        self.assertEqual(payload.relocations[3], [self.site("helper_ref")])
        self.assertEqual(payload.word(self.site("helper_ref")), helper + 1)
        self.assertEqual(payload.code[helper], 0xC3)

    def test_calls_within_the_code_are_resolved_without_records(self):
        payload = self.payload
        for label, target in (("helper_call", "Helper"), ("tail_call", "Tail")):
            site = self.site(label)
            self.assertNotIn(site, payload.all_sites())
            displacement = struct.unpack_from("<i", payload.code, site)[0]
            self.assertEqual(site + 4 + displacement, payload.symbol(target), label)

    def test_literal_strings_become_records_one_per_text(self):
        payload = self.payload
        sites = [self.site(label) for label in ("hello_1", "hello_2", "empty_ref", "long_ref")]
        self.assertEqual(sorted(payload.relocations[5]), sorted(sites))
        hello_1, hello_2, empty, long = (payload.word(site) for site in sites)
        self.assertEqual(hello_1, hello_2)
        self.assertEqual(payload.literal(hello_1), (5, "Hello"))
        self.assertEqual(payload.literal(empty), (0, ""))
        self.assertEqual(payload.literal(long), (255, "x" * 300))
        for offset in (hello_1, empty, long):
            self.assertEqual(offset % 4, 0)

    def test_every_site_belongs_to_one_record(self):
        sites = self.payload.all_sites()
        self.assertEqual(len(sites), len(set(sites)))

    def test_symbols_ascend_without_the_c_underscore(self):
        symbols = self.payload.symbols
        self.assertEqual([offset for offset, _ in symbols], sorted(o for o, _ in symbols))
        names = {name for _, name in symbols}
        self.assertTrue({"QvMain", "Helper", "Tail", "add_lower_1"} <= names, names)
        self.assertFalse({name for name in names if name.startswith((".", "_"))}, names)
        self.assertNotIn("counter", names)


class ResourcesAndOptions(PackerCase):
    def setUp(self):
        super().setUp()
        self.objects = [self.assemble("entry", ENTRY_SOURCE), self.assemble("other", OTHER_SOURCE)]

    def test_resources_keep_type_id_and_bytes(self):
        with open(self.path("one.bin"), "wb") as f:
            f.write(b"\x01\x02\x03")
        open(self.path("empty.bin"), "wb").close()
        payload = self.pack_fallback(self.objects, "--resource", "QVPl:128:" + self.path("one.bin"),
                                     "--resource", "TEXT:65535:" + self.path("empty.bin"))
        self.assertEqual(payload.rsrc,
                         b"lPVQ" + struct.pack("<HII", 128, 0, 3) + b"\x01\x02\x03" +
                         b"TXET" + struct.pack("<HII", 65535, 0, 0))

    def test_mdi_option(self):
        cases = [
            ([], b""),
            (["--mdi", "Fenêtre"],
             struct.pack("<Bi", 0, 8) + "Fenêtre".encode() + struct.pack("<I", kEncodingUTF8)),
            (["--mdi", ""], struct.pack("<Bi", 0, 0)),
        ]
        for options, expected in cases:
            with self.subTest(options=options):
                self.assertEqual(self.pack_fallback(self.objects, *options).options, expected)
        self.assertEqual(self.pack_fallback(self.objects).rsrc, b"")


# ---- the packed executable -----------------------------------------------------------------

@unittest.skipUnless(os.environ.get("QV_RUNTIME"), "QV_RUNTIME names no runtime")
class AppendedPayload(PackerCase):
    def test_locator_points_at_the_appended_members(self):
        objects = [self.assemble("entry", ENTRY_SOURCE), self.assemble("other", OTHER_SOURCE)]
        output, members = self.path("app.exe"), self.path("members")
        self.pack("--runtime", os.environ["QV_RUNTIME"], "--output", output,
                  "--fallback", members, "--mdi", "Main", *objects)
        with open(os.environ["QV_RUNTIME"], "rb") as f:
            runtime = f.read()
        with open(output, "rb") as f:
            packed = f.read()
        changed = [i for i in range(len(runtime)) if runtime[i] != packed[i]]
        self.assertTrue(changed)
        # The offset's low bytes may equal the placeholder's first ones and leave them unchanged.
        locator = runtime.rfind(b"PICK\0\0\0\0", 0, changed[0] + 8)
        self.assertGreaterEqual(locator, changed[0] - 3)
        self.assertLess(changed[-1], locator + 8)
        self.assertEqual(runtime[locator:locator + 8], b"PICK\0\0\0\0")
        offset, length = struct.unpack_from("<II", packed, locator)
        self.assertEqual(offset, len(runtime))
        self.assertEqual(packed[offset:offset + 6], b"112358")
        self.assertEqual(length, len(packed) - offset - 6)
        self.assertEqual(split_members(packed[offset + 6:]), read_fallback(members))

    def test_runtime_that_carries_an_application_is_refused(self):
        entry = self.assemble("entry", ENTRY_SOURCE)
        other = self.assemble("other", OTHER_SOURCE)
        self.pack("--runtime", os.environ["QV_RUNTIME"], "--output", self.path("app.exe"),
                  entry, other)
        result = self.run_pack("--runtime", self.path("app.exe"), "--output",
                               self.path("again.exe"), entry, other)
        self.assertEqual(result.returncode, 1)
        self.assertIn("already carries an application", result.stderr)
        self.assertFalse(os.path.exists(self.path("again.exe")))


# ---- what cannot be packed ---------------------------------------------------------------------

class Refusals(PackerCase):
    CASES = [
        ("address stored in data",
         "\t.text\n\t.globl _QvMain\n_QvMain: ret\n\t.data\n\t.long _QvMain\n",
         [], "stored in data"),
        ("unknown undefined function",
         "\t.text\n\t.globl _QvMain\n_QvMain: call _NoSuchRuntimeFunction\n\tret\n",
         [], "NoSuchRuntimeFunction is undefined"),
        ("address of a declared function",
         "\t.text\n\t.globl _QvMain\n_QvMain: movl $__qvdecl__kernel32__Sleep@4, %eax\n",
         [], "cannot be taken"),
        ("declared function without a procedure",
         "\t.text\n\t.globl _QvMain\n_QvMain: call __qvdecl__kernel32\n",
         [], "names no library and procedure"),
        ("offset from a runtime function",
         "\t.text\n\t.globl _QvMain\n_QvMain: movl $_RuntimeLockString+4, %eax\n",
         [], "an offset from the imported function RuntimeLockString"),
        ("relative reference to data",
         "\t.text\n\t.globl _QvMain\n_QvMain: call value\n\t.data\nvalue: .long 0\n",
         [], "relative reference to data"),
        ("literal without its zero byte",
         "\t.text\n\t.globl _QvMain\n_QvMain: movl $text, %eax\n"
         "\t.section .qvstr,\"dr\"\ntext: .ascii \"abcd\"\n",
         [], "no terminating zero byte"),
        ("common symbol",
         "\t.text\n\t.globl _QvMain\n_QvMain: movl $_buffer, %eax\n\t.comm _buffer, 16\n",
         [], "buffer is a common symbol"),
        ("entry missing", "\t.text\n\t.globl _Start\n_Start: ret\n", [],
         "the entry QvMain is not defined"),
        ("entry after other code", "\t.text\n\tnop\n\t.globl _QvMain\n_QvMain: ret\n", [],
         "not at the start of its section"),
        ("other entry name missing", "\t.text\n\t.globl _QvMain\n_QvMain: ret\n",
         ["--entry", "Start"], "the entry Start is not defined"),
        ("resource without a file", "\t.text\n\t.globl _QvMain\n_QvMain: ret\n",
         ["--resource", "TEXT:1"], "expected TYPE:ID:FILE"),
        ("resource type of three characters", "\t.text\n\t.globl _QvMain\n_QvMain: ret\n",
         ["--resource", "TXT:1:x"], "four-character code"),
        ("resource id out of range", "\t.text\n\t.globl _QvMain\n_QvMain: ret\n",
         ["--resource", "TEXT:65536:x"], "from 0 to 65535"),
    ]

    def test_cases(self):
        for name, source, options, message in self.CASES:
            with self.subTest(name):
                result = self.run_pack("--fallback", self.path("out"), *options,
                                       self.assemble("case", source))
                self.assertEqual(result.returncode, 1, result.stderr)
                self.assertIn(message, result.stderr)
                self.assertNotIn("Traceback", result.stderr)

    def test_duplicate_definitions(self):
        source = "\t.text\n\t.globl _QvMain\n_QvMain: ret\n"
        result = self.run_pack("--fallback", self.path("out"), self.assemble("a", source),
                               self.assemble("b", source))
        self.assertEqual(result.returncode, 1)
        self.assertIn("QvMain is defined in both", result.stderr)

    def test_files_that_are_not_objects_or_runtimes(self):
        with open(self.path("text.o"), "w") as f:
            f.write("not an object file at all")
        entry = self.assemble("entry", "\t.text\n\t.globl _QvMain\n_QvMain: ret\n")
        cases = [
            (["--fallback", self.path("out"), self.path("text.o")], "not an i386 COFF object"),
            (["--fallback", self.path("out"), self.path("missing.o")], "cannot read"),
            (["--runtime", entry, "--output", self.path("app.exe"), entry],
             "not a Windows executable"),
        ]
        for arguments, message in cases:
            with self.subTest(message):
                result = self.run_pack(*arguments)
                self.assertEqual(result.returncode, 1, result.stderr)
                self.assertIn(message, result.stderr)
                self.assertNotIn("Traceback", result.stderr)


# ---- the hello application -----------------------------------------------------------------

@unittest.skipUnless(os.environ.get("QV_APP_C_FLAGS"), "QV_APP_C_FLAGS is not set")
class HelloApplication(PackerCase):
    def setUp(self):
        super().setUp()
        source = os.path.join(SOURCE_DIR, "tests", "apps", "hello.c")
        subprocess.run([CC, "-I", SOURCE_DIR] + os.environ["QV_APP_C_FLAGS"].split() +
                       ["-c", source, "-o", self.path("hello.o")], check=True)
        self.payload = self.pack_fallback([self.path("hello.o")])

    def test_calls_are_chained_to_the_runtime_and_kernel32(self):
        payload = self.payload
        self.assertEqual(set(payload.runtime), {
            ("runtimeaddstring", 1), ("RUNTIMEUNLOCKSTRING", 1), ("runtimeNewClass", 1),
            ("RuntimeNewObject", 1), ("runtimeunlockobject", 1),
            ("runtimeGetTextFileFromResourceManager", 1)})
        self.assertEqual(set(payload.declared), {("GetStdHandle", "kernel32"),
                                                 ("WriteFile", "kernel32")})
        for chain in list(payload.runtime.values()) + list(payload.declared.values()):
            for site in chain:
                self.assertEqual(payload.code[site - 1], 0xE8, "not a call at %d" % site)

    def test_entry_literals_and_initializer(self):
        payload = self.payload
        self.assertEqual(payload.symbol("QvMain"), 0)
        texts = {payload.literal(payload.word(site))[1] for site in payload.relocations[5]}
        self.assertEqual(texts, {"Quorvane", "Hello, ", "Greeter"})
        self.assertEqual([payload.word(site) for site in payload.relocations[3]],
                         [payload.symbol("GreeterInit")])
        for site in payload.relocations[2]:
            self.assertLess(payload.word(site), len(payload.data))


if __name__ == "__main__":
    unittest.main()
