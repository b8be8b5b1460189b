"""Writes quorvel.pyi, the type stub of the Python module, from the built
module itself (names, argument names, defaults, docstrings) and the public
header (the C++ types behind each binding), so the two cannot drift apart.

    genstub.py <built module> <quorveldll.h> <output .pyi>

It runs after each link of the module. A public name it cannot classify
stops the build and removes the module, so the next build runs it again.
"""
import enum
import importlib
import os
import re
import sys

# Bindings written by hand (not by binder.h's rules): their Python signature
# is the module's own, with these return types where that says too little.
BY_HAND = {
    "ReadPhotons": "Records | None",
    "GetPhotonStreamCounters": "dict[str, int]",
    "ReadCollectedPhotons": None,
    "ReadCollectedPackets": None,
}
# Argument types the module's signatures leave vague.
ARGUMENTS = {("wait_until", "condition"): "Callable[[], object]"}
# Types in the module's signatures, as the stub writes them.
PYBIND_TYPES = {
    "int": "int", "float": "float", "str": "str", "bool": "bool", "None": "None",
    "numpy.ndarray": "Records", "Optional[float]": "float | None", "float | None": "float | None",
    "quorvel.PhotonStreamIterator": "PhotonStreamIterator",
}
CPP_TYPES = {
    "int": "int", "long long": "int", "unsigned char": "int", "bool": "bool", "float": "float",
    "double": "float", "std::string": "str", "const char*": "str", "void": "None",
}


def fail(text):
    os.remove(sys.argv[1])
    sys.exit(f"genstub.py: {text}")


def split_top(text):
    """Comma-separated parts of text, ignoring commas inside brackets."""
    parts, depth, start = [], 0, 0
    for i, c in enumerate(text):
        if c in "([":
            depth += 1
        elif c in ")]":
            depth -= 1
        if c == "," and depth == 0:
            parts.append(text[start:i].strip())
            start = i + 1
    if text[start:].strip():
        parts.append(text[start:].strip())
    return parts


def declarations(header):
    """Name -> (C++ result, [C++ parameter types]) of QuorvelDll's functions."""
    found = {}
    for result, name, params in re.findall(r"^\s+static\s+([\w:]+(?:\s+[\w:]+)*?)\s+(\w+)\s*\(((?:[^()]|\([^()]*\))*)\)\s*;",
                                           header, re.M):
        types = []
        for param in split_top(" ".join(params.split())):
            callback = re.fullmatch(r"void \(\*\w+\)\((.*)\)", param)
            types.append(f"void (*)({callback.group(1)})" if callback
                         else re.sub(r"\s*\b\w+$", "", param).replace(" *", "*"))
        found[name] = (result, types)
    return found


def is_enum(value):
    """An enumeration class or one of its members."""
    return isinstance(value, enum.IntEnum) or isinstance(value, type) and issubclass(value, enum.IntEnum)


def docstring(text, indent):
    text = (text or "").replace("\\", "\\\\").replace('"""', '\\"\\"\\"').strip()
    if not text:
        return ""
    pad = " " * indent
    return f'{pad}"""' + text.replace("\n", "\n" + pad).replace("\n" + pad + "\n", "\n\n") + '"""\n'


def signature(function):
    """(name, [(argument, type, default)], result) from pybind11's first doc line."""
    first, _, rest = function.__doc__.partition("\n")
    match = re.fullmatch(r"(\w+)\((.*)\) -> (.+)", first)
    if not match:
        fail(f"no signature in {first!r}")
    arguments = []
    for part in split_top(match.group(2)):
        arg = re.fullmatch(r"(\*{0,2}\w+)(?:: ([^=]+?))?(?: = (.+))?", part)
        arguments.append(arg.groups())
    return match.group(1), arguments, match.group(3), rest.strip()


class Writer:
    def __init__(self, module, header):
        self.module = module
        self.header = header
        self.enums = {}  # C++ name -> stub name

    def python_type(self, pybind, where):
        if pybind not in PYBIND_TYPES:
            fail(f"{where}: unknown type {pybind!r}; add it to PYBIND_TYPES")
        return PYBIND_TYPES[pybind]

    def cpp_type(self, cpp, where, accepted=False):
        if cpp in CPP_TYPES:
            return CPP_TYPES[cpp]
        callback = re.fullmatch(r"void \(\*\)\((.*)\)", cpp)
        if callback:
            args = ", ".join(self.cpp_type(a, where) for a in split_top(callback.group(1)))
            return f"Callable[[{args}], object] | None"
        if cpp in self.enums:
            return f"{self.enums[cpp]} | int" if accepted else self.enums[cpp]
        fail(f"{where}: unknown C++ type {cpp!r}")

    def header_function(self, name, arguments):
        """The stub's parameters and result by binder.h's rules."""
        result, params = self.header[name]
        inputs = [p for p in params if not (p.endswith("*") and not p.startswith("const "))]
        outputs = [self.cpp_type(p[:-1], name) for p in params[len(inputs):]]
        if params[:len(inputs)] != inputs or len(inputs) != len(arguments):
            fail(f"{name}: the header's inputs {inputs} do not match the module's {arguments}")
        typed = [(arg, self.cpp_type(cpp, name, accepted=True), default)
                 for (arg, _, default), cpp in zip(arguments, inputs)]
        if result == "bool" and (outputs or not name.startswith("Is")):
            returned = "None" if not outputs else outputs[0] if len(outputs) == 1 else f"tuple[{', '.join(outputs)}]"
        else:
            returned = self.cpp_type(result, name)
        return typed, returned

    def function(self, function, indent=0):
        name, arguments, returned, doc = signature(function)
        if name in self.header and name not in BY_HAND:
            typed, returned = self.header_function(name, arguments)
        else:
            typed = []
            for arg, pybind, default in arguments:
                if arg == "self" or arg.startswith("*"):
                    typed.append((arg, None if arg == "self" else "object", None))
                else:
                    typed.append((arg, ARGUMENTS.get((name, arg)) or self.python_type(pybind, name), default))
            returned = BY_HAND.get(name) or self.python_type(returned, name)
        params = []
        for arg, annotation, default in typed:
            text = arg if annotation is None else f"{arg}: {annotation}"
            if default is not None:
                text += " = " + (default if re.fullmatch(r"-?[\d.]+|None|True|False", default) else "...")
            params.append(text)
        pad = " " * indent
        body = docstring(doc, indent + 4)
        return f"\n{pad}def {name}({', '.join(params)}) -> {returned}:\n{body or pad + '    ...' + chr(10)}"

    def enumeration(self, cls, indent):
        pad = " " * indent
        lines = [f"{pad}class {cls.__name__}(IntEnum):\n", docstring(cls.__doc__, indent + 4)]
        lines += [f"{pad}    {member.name} = {member.value}\n" for member in cls]
        return "".join(lines)

    def scope(self, scope, prefix, indent):
        """The public names of a module, and its enumerations with their members as stub text."""
        out = []
        names = sorted(n for n in dir(scope) if not n.startswith("_"))
        classes = [getattr(scope, n) for n in names
                   if isinstance(getattr(scope, n), type) and issubclass(getattr(scope, n), enum.IntEnum)]
        for cls in classes:
            self.enums[prefix + cls.__name__] = prefix.replace("::", ".") + cls.__name__
        pad = " " * indent
        for cls in classes:
            out.append(self.enumeration(cls, indent))
        for cls in classes:
            out += [f"{pad}{m.name}: Final = {cls.__name__}.{m.name}\n" for m in cls]
        return names, out

    def write(self):
        m = self.module
        out = ['"""' + m.__doc__.replace("\\", "\\\\").strip() + '"""\n',
               "# Generated by python/genstub.py from the module and quorveldll.h.\n",
               "from enum import IntEnum\nfrom typing import Callable, Final\n\n",
               "import numpy as np\nimport numpy.typing as npt\n\n",
               "Records = npt.NDArray[np.void]\n\n",
               "__version__: str\nGM_SIDE: int\nCAMERA_SIDE: int\n",
               "photon_dtype: np.dtype[np.void]\npacket_dtype: np.dtype[np.void]\n\n"]
        done = {"GM_SIDE", "CAMERA_SIDE", "photon_dtype", "packet_dtype", "CathodeChannel"}

        sub = m.CathodeChannel
        sub_names, sub_out = self.scope(sub, "CathodeChannel::", 4)
        if not all(is_enum(getattr(sub, n)) for n in sub_names):
            fail("CathodeChannel holds more than enumerations")
        names, enum_out = self.scope(m, "", 0)
        out += enum_out
        out.append("\nclass CathodeChannel:\n" + docstring("(A submodule at run time.) " + sub.__doc__, 4))
        out += sub_out

        error = m.QuorvelError
        out.append(f"\nclass QuorvelError(RuntimeError):\n{docstring(error.__doc__, 4)}"
                   "    last_error: str\n    function: str\n")
        done.add("QuorvelError")

        iterator = m.PhotonStreamIterator
        out.append("\nclass PhotonStreamIterator:\n" + docstring(iterator.__doc__, 4))
        for name, method in sorted(vars(iterator).items()):
            # Its own methods; pybind11's constructor refuses, stream() makes them.
            if callable(method) and name not in dir(object) and not re.fullmatch(r"_[^_].*", name):
                out.append(self.function(method, 4))
        done.add("PhotonStreamIterator")

        aliases = []
        functions = {}
        for name in names:
            value = getattr(m, name)
            if name in done or is_enum(value):
                continue
            if not callable(value):
                fail(f"unknown public attribute {name}")
            own = value.__name__
            if own != name:
                aliases.append(f"{name} = {own}\n")
            elif own not in functions:
                functions[own] = self.function(value)
        out.append("\n")
        out += [functions[n] for n in sorted(functions)]
        out.append("\n")
        out += aliases
        return "".join(out)


def main():
    sys.path.insert(0, os.path.dirname(os.path.abspath(sys.argv[1])))
    module = importlib.import_module("quorvel")
    header = declarations(open(sys.argv[2], encoding="utf-8").read())
    if len(header) < 100:
        fail("the header's declarations were not found")
    text = Writer(module, header).write()
    compile(text, sys.argv[3], "exec")
    with open(sys.argv[3], "w", encoding="utf-8") as out:
        out.write(text)


if __name__ == "__main__":
    try:
        main()
    except Exception as error:  # a generator fault also stops the build
        fail(f"{type(error).__name__}: {error}")
