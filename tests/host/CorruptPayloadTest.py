"""The runtime given payloads whose counts claim more bytes than there are: appended to a copy of
the runtime, and as member files of the working directory. Each run reports "Executable is
corrupt!" once and ends with exit code 3 (no application), calls nothing of the application (its
code is breakpoints, which would end the process otherwise) and does not end as out of memory.
Run by CTest, which sets:

  QV_RUNTIME   a built QuorvaneRuntime.exe
  QV_PACK      tools/qv-pack, whose locator finder patches the copy
  QV_WINE_RUN  tools/wine-run (WINEPREFIX comes with the test's environment)
"""

import concurrent.futures
import importlib.machinery
import importlib.util
import os
import re
import shutil
import struct
import subprocess
import tempfile
import unittest

RUNTIME = os.environ["QV_RUNTIME"]
WINE_RUN = os.environ["QV_WINE_RUN"]
MAGIC = b"112358"
HUGE = 0x7FFFFFFF
REPORT = re.compile(r"Runtime failure: kind 4 \(Failed Assertion\), loaderX86:[0-9]+, "
                    r'condition "0", message "(.*)"')


def load_packer():
    loader = importlib.machinery.SourceFileLoader("qv_pack", os.environ["QV_PACK"])
    spec = importlib.util.spec_from_loader("qv_pack", loader)
    module = importlib.util.module_from_spec(spec)
    loader.exec_module(module)
    return module


PACKER = load_packer()
CODE = b"\xCC" * 16  # int3: a call of the entry ends the process at once


def le32(*values):
    return b"".join(struct.pack("<I", v) for v in values)


def resource(length, data=b"x"):
    return le32(0x54455854) + struct.pack("<H", 128) + le32(0, length) + data


class CorruptPayloads(unittest.TestCase):
    """Each case has a folder of its own, and the runs go side by side: every start of the runtime
    costs seconds under Wine, many more in the emulated x86 machine."""

    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="qv-corrupt-")

    def tearDown(self):
        shutil.rmtree(self.folder, ignore_errors=True)

    def case_folder(self, what):
        path = os.path.join(self.folder, re.sub(r"[^A-Za-z0-9.]+", "-", what))
        os.mkdir(path)
        return path

    @staticmethod
    def run_runtime(program):
        environment = dict(os.environ, QV_FAILURE_SINK="record")
        result = subprocess.run([WINE_RUN, program], cwd=os.path.dirname(program), env=environment,
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=300)
        return result.returncode, result.stdout.decode("utf-8", "replace")

    def assert_all_refused(self, programs):
        """programs: {case name: program}; every run must refuse its payload."""
        with concurrent.futures.ThreadPoolExecutor(max_workers=len(programs)) as pool:
            results = dict(zip(programs, pool.map(self.run_runtime, programs.values())))
        for what, (code, output) in results.items():
            with self.subTest(what):
                self.assertEqual(code, 3, output)
                self.assertEqual(REPORT.findall(output), ["Executable is corrupt!"], output)

    def appended(self, folder, members):
        """A copy of the runtime with the members appended; members are (count, bytes)."""
        with open(RUNTIME, "rb") as f:
            image = bytearray(f.read())
        payload = b"".join(le32(count) + data for count, data in members)
        struct.pack_into("<II", image, PACKER.find_locator(image, RUNTIME), len(image),
                         len(payload))
        path = os.path.join(folder, "corrupt.exe")
        with open(path, "wb") as f:
            f.write(bytes(image) + MAGIC + payload)
        return path

    def test_appended_counts_beyond_the_file(self):
        data = b"\0" * 4
        cases = {
            "code count": [(HUGE, CODE), (4, data), (0, b""), (0, b""), (0, b""), (0, b"")],
            "data count": [(16, CODE), (HUGE, data), (0, b""), (0, b""), (0, b""), (0, b"")],
            "rsrc count": [(16, CODE), (4, data), (0, b""), (0, b""), (HUGE, b"abc"), (0, b"")],
            "symbols pairs": [(16, CODE), (4, data), (0, b""), (12, le32(HUGE, 0, 0)),
                              (0, b""), (0, b"")],
        }
        self.assert_all_refused({what: self.appended(self.case_folder(what), members)
                                 for what, members in cases.items()})

    def test_member_files_with_counts_beyond_their_bytes(self):
        cases = {
            "symbols.dat": le32(HUGE, 0, 0),
            "rsrc.dat": resource(HUGE),
            "options.dat": b"\0" + le32(HUGE) + b"x",
        }
        programs = {}
        for name, data in cases.items():
            folder = self.case_folder(name)
            runtime = os.path.join(folder, "QuorvaneRuntime.exe")
            shutil.copyfile(RUNTIME, runtime)
            with open(os.path.join(folder, "code.dat"), "wb") as f:
                f.write(CODE)
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)
            programs[name] = runtime
        self.assert_all_refused(programs)


if __name__ == "__main__":
    unittest.main(verbosity=2)
