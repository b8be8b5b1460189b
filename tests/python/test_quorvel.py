"""Tests of the quorvel Python module: its surface against the public header,
argument conversion and errors without a camera, and a whole acquisition
against the virtual camera started as a child process."""
import ast
import enum
import importlib.util
import os
import pydoc
import re
import select
import subprocess
import tempfile
import threading
import time
import unittest

import numpy as np

import quorvel

HEADER = os.environ.get("QUORVEL_HEADER", "")
CAMSIM = os.environ.get("QUORVEL_CAMSIM", "")
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
EXAMPLE = os.path.join(ROOT, "python", "examples", "spectrum.py")
PLOT_EXAMPLE = os.path.join(ROOT, "python", "examples", "flood_and_spectrum.py")


def header_text():
    with open(HEADER, encoding="utf-8") as f:
        return f.read()


class HeaderMirrorTest(unittest.TestCase):
    def test_every_exported_function_has_its_own_and_a_snake_case_name(self):
        functions = re.findall(r"static (?:[\w:]+ )+?(\w+)\(", header_text())
        self.assertGreater(len(functions), 100)
        snake = {}
        for attribute in dir(quorvel):
            if re.fullmatch(r"[a-z][a-z0-9_]*", attribute):
                snake.setdefault(id(getattr(quorvel, attribute)), []).append(attribute)
        missing = [f for f in functions if not callable(getattr(quorvel, f, None))]
        self.assertEqual(missing, [])
        unnamed = [f for f in functions if id(getattr(quorvel, f)) not in snake]
        self.assertEqual(unnamed, [])
        self.assertIs(quorvel.get_no_of_gms, quorvel.GetNoOfGMs)
        self.assertIs(quorvel.set_gm_adc1_channel, quorvel.SetGMADC1Channel)

    def test_every_function_and_enumeration_carries_the_header_reference(self):
        text = header_text()
        functions = re.findall(r"static [\w:]+ (\w+)\(", text)
        undocumented = [f for f in functions if len(getattr(quorvel, f).__doc__ or "") < 40]
        self.assertEqual(undocumented, [])
        doc = pydoc.render_doc(quorvel.start_photon_collection, renderer=pydoc.plaintext)
        self.assertIn("Starts a collection: empties the store", doc)
        self.assertIn("Timed out waiting for the data thread before collecting", doc)
        self.assertIn("a_Gain:", quorvel.SetChannelGain.__doc__)
        self.assertIn("MB_MULTIPLEXER_ADDR_TYPE_UNDEFINED = -1: Refused by", quorvel.MBMultiplexerAddrType.__doc__)
        self.assertIn("call does not clear the last error", quorvel.__doc__)

    def test_every_enumerator_has_the_value_of_the_header(self):
        text = header_text()
        namespaces = re.findall(r"namespace (\w+) \{(.*?)\} // namespace", text, re.S)
        outside = re.sub(r"namespace \w+ \{.*?\} // namespace", "", text, flags=re.S)
        checked = 0
        for scope, body in [(quorvel, outside)] + [(getattr(quorvel, n), b) for n, b in namespaces]:
            for name, members in re.findall(r"enum (\w+) : int \{(.*?)\};", body, re.S):
                cls = getattr(scope, name)
                self.assertTrue(issubclass(cls, enum.IntEnum), name)
                for member, value in re.findall(r"(\w+) = (-?\d+)", members):
                    self.assertEqual(cls[member], int(value), member)
                    self.assertIs(getattr(scope, member), cls[member])
                    checked += 1
        self.assertGreater(checked, 100)

    def test_camera_layout_places_each_gm_in_its_quadrant(self):
        self.assertEqual((quorvel.GM_SIDE, quorvel.CAMERA_SIDE), (11, 22))
        corners = [(1, 1, 1), (11, 2, 22), (121, 3, 484), (1, 4, 243), (12, 1, 23)]
        self.assertEqual([quorvel.camera_pixel(p, gm) for p, gm, _ in corners], [c for _, _, c in corners])


class NoCameraTest(unittest.TestCase):
    def setUp(self):
        quorvel.close()

    def tearDown(self):
        quorvel.close()

    def test_operation_failures_raise_with_the_last_error(self):
        with self.assertRaises(quorvel.QuorvelError) as caught:
            quorvel.get_gbe_firmware_version()
        self.assertEqual(str(caught.exception), "System has not been initialized yet")
        self.assertEqual(caught.exception.last_error, "System has not been initialized yet")
        self.assertEqual(caught.exception.function, "GetGBEFirmwareVersion")
        self.assertIsInstance(caught.exception, RuntimeError)

        with self.assertRaisesRegex(quorvel.QuorvelError, "^Undefined sys token type detected$"):
            quorvel.set_sys_token_type(quorvel.SYS_TOKEN_TYPE_UNDEFINED)
        self.assertEqual(quorvel.get_last_error(), "Undefined sys token type detected")
        with self.assertRaisesRegex(quorvel.QuorvelError, "^Failed to read from register 127$"):
            quorvel.reg_read(127)
        with self.assertRaisesRegex(quorvel.QuorvelError, "^Function requires a filename with .dat suffix$"):
            quorvel.save_configuration("")

    def test_arguments_convert_and_wrong_ones_are_refused(self):
        self.assertIsNone(quorvel.set_sys_token_type(2))
        token = quorvel.get_sys_token_type()
        self.assertIs(token, quorvel.SysTokenType.SYS_TOKEN_TYPE_2)
        self.assertIsNone(quorvel.SetPixelMappingMode(mode=quorvel.PIXEL_MAPPING_MODE_LOCAL))
        self.assertIs(quorvel.get_pixel_mapping_mode(), quorvel.PixelMappingMode.PIXEL_MAPPING_MODE_LOCAL)

        self.assertIs(quorvel.is_debug_mode_active(), False)
        quorvel.set_debug_mode(True)
        self.assertIs(quorvel.is_debug_mode_active(), True)

        with self.assertRaises(TypeError):
            quorvel.set_sys_token_type(quorvel.PHOTON_DATA_PIXEL)  # a member of another enumeration
        with self.assertRaises(TypeError):
            quorvel.reg_write(16, 256, 0)  # a byte out of range
        with self.assertRaises(TypeError):
            quorvel.reg_write(16, -1, 0)
        with self.assertRaises(TypeError):
            quorvel.set_camera_ip_address(None)
        with self.assertRaises(TypeError):
            quorvel.set_packet_transfer_rate(2 ** 40)
        with self.assertRaises(TypeError):
            quorvel.set_connect_status_function(42)
        with self.assertRaises(ValueError):
            quorvel.process_events(-1)

    def test_close_restores_defaults_and_forgets_callbacks(self):
        quorvel.set_debug_mode(True)
        quorvel.set_camera_ip_address("127.0.0.1")
        quorvel.set_connect_status_function(lambda text: None)
        quorvel.close()
        self.assertFalse(quorvel.is_debug_mode_active())
        self.assertEqual(quorvel.get_camera_ip_address(), "")
        self.assertEqual(quorvel.get_version(), quorvel.__version__)
        self.assertEqual(quorvel.__version__, "42.1.21.49")

    def test_calls_from_another_thread_are_refused(self):
        errors = []

        def call():
            try:
                quorvel.get_no_of_gms()
            except quorvel.QuorvelError as error:
                errors.append(str(error))

        thread = threading.Thread(target=call)
        thread.start()
        thread.join()
        self.assertEqual(errors, ["Library functions must be called from the thread of the Qt application object"])

    def test_empty_collection_gives_empty_tables_with_their_fields(self):
        photons = quorvel.photons()
        self.assertEqual(photons.shape, (0,))
        self.assertEqual(photons.dtype.names, ("packet", "header_word", "pixel", "energy", "time_detect",
                                               "gm_id", "positive_energy", "positive_time_detect", "header_byte"))
        self.assertEqual(photons.dtype.itemsize, 16)
        self.assertEqual(quorvel.packets().dtype.names,
                         ("packet", "no_of_photons", "header_word", "gm_id", "header_byte"))
        self.assertEqual(quorvel.packets().dtype.itemsize, 12)


class VirtualCamera:
    """quorvel-camsim as a child process on a loopback address of its own."""

    def __init__(self, address, *arguments):
        self.process = subprocess.Popen([CAMSIM, "--address", address, *arguments],
                                        stderr=subprocess.PIPE, text=True)
        deadline = time.monotonic() + 10
        line = ""
        while "listening on" not in line:
            remaining = deadline - time.monotonic()
            ready, _, _ = select.select([self.process.stderr], [], [], max(remaining, 0))
            if not ready or self.process.poll() is not None:
                self.stop()
                raise RuntimeError("virtual camera did not start: " + line)
            line = self.process.stderr.readline()

    def stop(self):
        self.process.terminate()
        try:
            self.process.communicate(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.communicate()


class CameraTest(unittest.TestCase):
    ADDRESS = "127.42.12.1"

    def setUp(self):
        quorvel.close()
        self.camera = VirtualCamera(self.ADDRESS, "--rate", "1000", "--photons-per-packet", "24")

    def tearDown(self):
        quorvel.close()
        self.camera.stop()

    def test_connect_configure_collect_and_read_the_photons(self):
        main = threading.get_ident()
        reports = []

        def on_status(text):
            # Delivered on this thread outside the library, so calling it is safe.
            reports.append((threading.get_ident(), text, quorvel.get_no_of_gms()))

        quorvel.set_connect_status_function(on_status)
        quorvel.set_sys_status_function(on_status)
        quorvel.set_host_ip_address(self.ADDRESS)
        quorvel.set_camera_ip_address(self.ADDRESS)
        quorvel.initialize()
        self.assertTrue(quorvel.is_system_initialized())
        self.assertTrue(any("System Control Socket" in text for _, text, _ in reports), reports)
        self.assertEqual({ident for ident, _, _ in reports}, {main})

        msb, lsb = quorvel.reg_read(127)
        self.assertTrue(0 <= msb <= 255 and 0 <= lsb <= 255)
        quorvel.start_sys()
        self.assertTrue(quorvel.wait_until(lambda: quorvel.get_no_of_gms() == 4, timeout=5))

        quorvel.set_active_gm(2)
        self.assertEqual(quorvel.get_active_gm(), 2)
        quorvel.set_gm_readout_mode(quorvel.GM_READOUT_MODE_SPARSIFIED)
        self.assertIs(quorvel.get_gm_readout_mode(), quorvel.GMReadoutMode.GM_READOUT_MODE_SPARSIFIED)
        with self.assertRaises(quorvel.QuorvelError) as caught:
            quorvel.set_gm_readout_mode(quorvel.GM_READOUT_MODE_UNDEFINED)
        self.assertEqual(str(caught.exception), "Undefined readout mode detected")

        quorvel.start_photon_collection()
        quorvel.process_events(0.3)
        quorvel.stop_photon_collection()
        # The decoder thread stores the last batch after the stop has returned.
        self.assertTrue(quorvel.wait_until(lambda: quorvel.get_no_of_collected_packets() > 0, timeout=5))
        self.assertTrue(any(text.startswith("Packets decoded : ") for _, text, _ in reports))

        packet_count = quorvel.get_no_of_collected_packets()
        photons = quorvel.photons()
        packets = quorvel.packets()
        photons = photons[photons["packet"] <= packet_count]
        packets = packets[:packet_count]
        self.assertEqual(len(packets), packet_count)
        self.assertEqual(len(photons), int(packets["no_of_photons"].sum()))
        self.assertGreater(len(photons), 0)

        get = quorvel.get_photon_data
        start = 0
        for packet in packets:
            number = int(packet["packet"])
            self.assertEqual(packet["gm_id"], quorvel.get_packet_data(number, quorvel.PACKET_DATA_GM_ID))
            self.assertEqual(packet["header_word"], quorvel.get_packet_data(number, quorvel.PACKET_DATA_HEADER_WORD))
            self.assertEqual(packet["header_byte"], quorvel.get_packet_data(number, quorvel.PACKET_DATA_HEADER_BYTE))
            rows = photons[start:start + int(packet["no_of_photons"])]
            start += len(rows)
            self.assertTrue(np.all(rows["packet"] == number))
            self.assertTrue(np.all(rows["gm_id"] == packet["gm_id"]))
            self.assertTrue(np.all(rows["header_word"] == packet["header_word"]))
            expected = np.array(
                [(get(number, i, quorvel.PHOTON_DATA_PIXEL), get(number, i, quorvel.PHOTON_DATA_ENERGY),
                  get(number, i, quorvel.PHOTON_DATA_POSITIVE_ENERGY), get(number, i, quorvel.PHOTON_DATA_TIME_DETECT),
                  get(number, i, quorvel.PHOTON_DATA_POSITIVE_TIME_DETECT)) for i in range(1, len(rows) + 1)],
                dtype=np.int64).reshape(-1, 5)
            actual = np.stack([rows["pixel"], rows["energy"], rows["positive_energy"], rows["time_detect"],
                               rows["positive_time_detect"]], axis=1).astype(np.int64)
            np.testing.assert_array_equal(actual, expected)
        self.assertEqual(set(np.unique(photons["gm_id"])) <= {1, 2, 3, 4}, True)

        with self.assertRaises(quorvel.QuorvelError) as caught:
            quorvel.get_photon_data(packet_count + 1, 1, quorvel.PHOTON_DATA_PIXEL)
        self.assertEqual(str(caught.exception), quorvel.get_last_error())

        quorvel.disconnect()
        self.assertEqual({ident for ident, _, _ in reports}, {main})

    def test_stream_yields_what_the_store_keeps_and_another_thread_may_read_it(self):
        quorvel.set_host_ip_address(self.ADDRESS)
        quorvel.set_camera_ip_address(self.ADDRESS)
        quorvel.initialize()
        quorvel.start_sys()
        self.assertTrue(quorvel.wait_until(lambda: quorvel.get_no_of_gms() == 4, timeout=5))

        with quorvel.stream(seconds=0.4, batch=1000) as batches:
            parts = list(batches)
        self.assertTrue(all(0 < len(part) <= 1000 and part.dtype == quorvel.photon_dtype for part in parts))
        streamed = np.concatenate(parts)
        self.assertGreater(len(streamed), 0)
        np.testing.assert_array_equal(streamed, quorvel.photons())
        self.assertEqual(quorvel.get_photon_stream_counters()["dropped_photons"], 0)

        # The store off, the stream read on a thread of its own.
        quorvel.set_store_photons(False)
        parts = []

        def reader():
            while (part := quorvel.read_photons(4096, 5.0)) is not None:
                parts.append(part)

        thread = threading.Thread(target=reader)
        thread.start()
        quorvel.start_photon_collection()
        quorvel.process_events(0.3)
        quorvel.stop_photon_collection()
        thread.join(10)
        self.assertFalse(thread.is_alive())
        streamed = np.concatenate(parts)
        self.assertEqual(quorvel.get_no_of_collected_packets(), 0)
        self.assertEqual(streamed["packet"][0], 1)
        self.assertTrue(np.all(np.diff(streamed["packet"].astype(np.int64)) >= 0))
        self.assertEqual(len(np.unique(streamed["packet"])), int(streamed["packet"][-1]))


class ExampleTest(unittest.TestCase):
    ADDRESS = "127.42.12.2"

    def test_readme_shows_the_example_and_it_acquires(self):
        with open(EXAMPLE, encoding="utf-8") as f:
            example = f.read()
        with open(os.path.join(ROOT, "README.md"), encoding="utf-8") as f:
            self.assertIn(example, f.read())

        camera = VirtualCamera(self.ADDRESS, "--rate", "1000", "--photons-per-packet", "24")
        try:
            run = subprocess.run(["/usr/bin/python3", EXAMPLE, self.ADDRESS, "--seconds", "0.3"],
                                 capture_output=True, text=True, timeout=60)
        finally:
            camera.stop()
        self.assertEqual(run.returncode, 0, run.stderr)
        match = re.match(r"(\d+) photons from 4 GMs\n", run.stdout)
        self.assertTrue(match, run.stdout)
        self.assertGreater(int(match.group(1)), 0)
        self.assertEqual(len(run.stdout.splitlines()), 41)


def stub_definitions(body):
    """Name -> node of what a stub's module or class body defines."""
    found = {}
    for node in body:
        if isinstance(node, (ast.FunctionDef, ast.ClassDef)):
            found[node.name] = node
        elif isinstance(node, (ast.AnnAssign, ast.Assign)):
            found[(node.target if isinstance(node, ast.AnnAssign) else node.targets[0]).id] = node
    return found


def matches(value, annotation, scope):
    """Whether value fits a stub annotation (a name, X | Y, tuple[...] or dict[...])."""
    if isinstance(annotation, ast.BinOp):
        return matches(value, annotation.left, scope) or matches(value, annotation.right, scope)
    if isinstance(annotation, ast.Constant):
        return value is annotation.value
    if isinstance(annotation, ast.Subscript):
        kind = eval(ast.unparse(annotation.value), scope)
        parts = annotation.slice.elts if isinstance(annotation.slice, ast.Tuple) else [annotation.slice]
        if kind is tuple:
            return (isinstance(value, tuple) and len(value) == len(parts)
                    and all(matches(v, p, scope) for v, p in zip(value, parts)))
        return isinstance(value, dict) and all(matches(k, parts[0], scope) and matches(v, parts[1], scope)
                                               for k, v in value.items())
    return isinstance(value, eval(ast.unparse(annotation), scope))


class StubTest(unittest.TestCase):
    def setUp(self):
        with open(os.path.join(os.path.dirname(quorvel.__file__), "quorvel.pyi"), encoding="utf-8") as f:
            self.stub = stub_definitions(ast.parse(f.read()).body)

    def test_stub_names_what_the_module_has_with_its_arguments(self):
        public = {n for n in dir(quorvel) if not n.startswith("_")}
        self.assertEqual(set(self.stub) - {"Records"}, public | {"__version__"})
        submodule = stub_definitions(self.stub["CathodeChannel"].body)
        self.assertEqual(set(submodule), {n for n in dir(quorvel.CathodeChannel) if not n.startswith("_")})
        for scope, definitions in ((quorvel, self.stub), (quorvel.CathodeChannel, submodule)):
            for name, node in definitions.items():
                runtime = getattr(scope, name, None)
                if isinstance(node, ast.FunctionDef):
                    arguments = re.match(r"\w+\((.*?)\) ->", runtime.__doc__).group(1)
                    self.assertEqual([a.arg for a in node.args.args], re.findall(r"(\w+):", arguments), name)
                elif isinstance(node, ast.Assign) and isinstance(node.value, ast.Name):
                    self.assertIs(runtime, getattr(scope, node.value.id), name)
                elif isinstance(node, ast.ClassDef) and isinstance(runtime, enum.EnumMeta):
                    members = {n.targets[0].id: ast.literal_eval(n.value) for n in node.body if isinstance(n, ast.Assign)}
                    self.assertEqual(members, {m.name: m.value for m in runtime}, name)

    def test_queries_return_what_the_stub_says(self):
        quorvel.close()
        scope = {**vars(quorvel), "Records": np.ndarray}
        checked = 0
        for name, node in self.stub.items():
            if isinstance(node, ast.FunctionDef) and re.match(r"(Get|Is)[A-Z]", name) and not node.args.args:
                try:
                    value = getattr(quorvel, name)()
                except quorvel.QuorvelError:
                    continue  # needs a camera
                self.assertTrue(matches(value, node.returns, scope), f"{name} returned {value!r}")
                checked += 1
        self.assertGreater(checked, 15)
        quorvel.close()


@unittest.skipUnless(importlib.util.find_spec("matplotlib"), "matplotlib is not installed")
class PlotExampleTest(unittest.TestCase):
    ADDRESS = "127.42.12.3"

    def test_draws_the_flood_and_the_spectrum(self):
        camera = VirtualCamera(self.ADDRESS, "--rate", "1000")
        try:
            with tempfile.TemporaryDirectory() as folder:
                output = os.path.join(folder, "plot.png")
                run = subprocess.run(["/usr/bin/python3", PLOT_EXAMPLE, self.ADDRESS, "--seconds", "0.3",
                                      "--output", output], capture_output=True, text=True, timeout=60)
                self.assertEqual(run.returncode, 0, run.stderr)
                with open(output, "rb") as f:
                    png = f.read()
        finally:
            camera.stop()
        self.assertRegex(run.stdout, r"^[1-9]\d* photons drawn into ")
        self.assertEqual(png[:8], b"\x89PNG\r\n\x1a\n")
        self.assertEqual(int.from_bytes(png[16:20], "big"), 1100)  # width of the 11-inch figure at 100 dpi
        self.assertGreater(len(png), 20000)
        with open(os.path.join(ROOT, "README.md"), encoding="utf-8") as f:
            self.assertIn("python/examples/flood_and_spectrum.py", f.read())


class ReadmeFloodTest(unittest.TestCase):
    ADDRESS = "127.42.12.4"

    def test_readme_live_flood_snippet_counts_the_photons(self):
        with open(os.path.join(ROOT, "README.md"), encoding="utf-8") as f:
            blocks = re.findall(r"```python\n(.*?)```", f.read(), re.S)
        snippet = next(b for b in blocks if "np.add.at(flood" in b)
        snippet = snippet.replace('"127.0.0.5"', f'"{self.ADDRESS}"').replace("seconds=10", "seconds=0.3")
        snippet += "assert image.sum() == flood.sum() > 0 and flood[0] == 0\n"
        camera = VirtualCamera(self.ADDRESS, "--rate", "1000")
        try:
            run = subprocess.run(["/usr/bin/python3", "-c", snippet], capture_output=True, text=True, timeout=60)
        finally:
            camera.stop()
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertRegex(run.stdout.splitlines()[-1], r"^[1-9]\d* photons, busiest pixel \d+$")


if __name__ == "__main__":
    unittest.main()
