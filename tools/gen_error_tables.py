#!/usr/bin/env python3
"""Writes src/diag/error_name_table.cpp, the table of result-code names.

Run by hand; the build never runs it and never needs the package. It downloads Debian's
mingw-w64-common into a temporary folder, unpacks it there, reads only the result-code
headers listed in HEADERS, evaluates their macros and enum members to 32-bit values and
writes the table of code -> name (narrow and UTF-16), sorted by code. It prints how many
names each family has against the counts the game's diagnostics were planned with.

    python3 tools/gen_error_tables.py              # download, generate, print the counts
    python3 tools/gen_error_tables.py --deb FILE   # use a package file downloaded before
    python3 tools/gen_error_tables.py --dry-run    # print the counts, write nothing
"""

import argparse
import os
import re
import subprocess
import sys
import tempfile

PACKAGE = "mingw-w64-common"
INCLUDE_DIR = os.path.join("usr", "share", "mingw-w64", "include")
DEFAULT_OUTPUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src", "diag",
                              "error_name_table.cpp")

# The headers that publish result codes, winerror.h first: the others build on its macros,
# and where names collide the earlier header is preferred.
HEADERS = [
    "winerror.h", "scarderr.h", "wbemcli.h", "d3d9.h", "d3dx9.h", "d3dx9xof.h", "dxfile.h",
    "ddraw.h", "dsound.h", "dinput.h", "dmerror.h", "dplay8.h", "vfwmsgs.h", "mmstream.h",
    "mediaerr.h",
]

# Families of names by prefix: label, planned number of names, name patterns. Where two
# unjoined names share a value, the family that stands earlier here keeps it; the generic
# results come before the system errors so that 0 is S_OK and 1 is S_FALSE.
FAMILIES = [
    ("E_, S_", 13, [r"E_", r"S_"]),
    ("ERROR_", 1469, [r"ERROR_"]),
    # COM+ events' EVENT_ codes are left out: they share 0x80040200 onwards with the
    # DirectInput and DirectShow codes, whose names the table joins without them.
    ("COM and OLE", 384, [
        r"CO_", r"OLE", r"STG_", r"MK_", r"DV_", r"TYPE_", r"DISP_", r"CONTEXT_", r"REGDB_",
        r"DRAGDROP_", r"CLASSFACTORY_", r"CLASS_", r"MARSHAL_", r"DATA_", r"VIEW_", r"CAT_",
        r"CS_", r"CACHE_", r"CLIENTSITE_", r"INPLACE_", r"ENUM_", r"CONVERT10_", r"CLIPBRD_",
        r"MEM_", r"PERSIST_"]),
    ("RPC_, EPT_", 169, [r"RPC_", r"EPT_"]),
    ("WBEM", 185, [r"WBEM_[ES]_", r"WBEMESS_E_", r"WBEMMOF_E_"]),
    ("COMADMIN, COMQC", 111, [r"COMADMIN", r"COMQC"]),
    ("CRYPT_, NTE_, CERT_, TRUST_, SEC_, SCARD_ and other security", 381, [
        r"CRYPT_", r"NTE_", r"CERT_", r"CERTSRV_", r"TRUST_", r"SEC_", r"SCARD_", r"OSS_",
        r"MSSIPOTF_", r"DIGSIG", r"XENROLL"]),
    ("DNS_, WSA", 182, [r"DNS_", r"WSA"]),
    ("SPAPI_, SCHED_, FRS_, MSDTC, WAIT_", 108, [
        r"SPAPI_", r"SCHED_", r"FRS_", r"MSDTC", r"WAIT_"]),
    ("D3DERR_, D3DOK_", 22, [r"D3DERR_", r"D3DOK_"]),
    ("D3DXERR_, D3DXFERR_, DXFILEERR_", 90, [r"D3DXERR_", r"D3DXFERR_", r"DXFILEERR_"]),
    ("DDERR_", 113, [r"DDERR_"]),
    ("DSERR_, DS_", 16, [r"DSERR_", r"DS_"]),
    ("DIERR_", 22, [r"DIERR_"]),
    ("DMUS_", 120, [r"DMUS_"]),
    ("DPNERR_, DVERR_", 109, [r"DPNERR_", r"DVERR_"]),
    ("VFW_, MS_, DMO_", 134, [r"VFW_", r"MS_", r"DMO_"]),
    ("XACT", 60, [r"XACT"]),
]
PLANNED_TOTAL = 3688

# Names of the families' prefixes that are no result codes.
NOT_CODES = {
    "DS_CERTIFIED", "DS_UNCERTIFIED",  # a driver's certification, not a result
    "DNS_ERROR_MASK",                  # a mask over the DNS range
    "DMUS_ERRBASE",                    # the offset of DirectMusic's codes in their facility
}

# Families that the package does not publish.
ABSENT_FAMILIES = [
    "DVERR_ (DirectPlay's voice layer: its header is not in the package)",
    "XACTENGINE_E_ (the XACT audio engine: its header is not in the package; the XACT_ names"
    " counted above are the distributed transactions' codes of winerror.h)",
]

# Where several published names share one value, the entry joins them in this order.
JOINED = [
    "DIERR_BADINF & MS_E_PURPOSEID",
    "DIERR_CANCELLED & MS_E_SAMPLEALLOC",
    "DIERR_DEVICEFULL & VFW_E_INVALIDSUBTYPE & DMO_E_INVALIDSTREAMINDEX",
    "DIERR_EFFECTPLAYING & VFW_E_INVALID_DIRECTION",
    "DIERR_HASEFFECTS & VFW_E_ALREADY_CONNECTED & DMO_E_NOTACCEPTING",
    "DIERR_INCOMPLETEEFFECT & VFW_E_NO_TYPES & DMO_E_NO_MORE_ITEMS",
    "DIERR_INSUFFICIENTPRIVS & VFW_E_INVALIDMEDIATYPE",
    "DIERR_MAPFILEFAIL & VFW_E_RUNTIME_ERROR",
    "DIERR_MOREDATA & VFW_E_NEED_OWNER & DMO_E_INVALIDTYPE",
    "DIERR_NOTBUFFERED & VFW_E_NO_ACCEPTABLE_TYPES",
    "DIERR_NOTDOWNLOADED & VFW_E_ENUM_OUT_OF_SYNC & DMO_E_TYPE_NOT_SET",
    "DIERR_NOTEXCLUSIVEACQUIRED & VFW_E_FILTER_ACTIVE & DMO_E_TYPE_NOT_ACCEPTED",
    "DIERR_REPORTFULL & VFW_E_NO_ALLOCATOR",
    "DIERR_UNPLUGGED & VFW_E_NOT_CONNECTED",
    "ERROR_ALREADY_INITIALIZED & DIERR_ALREADYINITIALIZED",
    "ERROR_BAD_DRIVER_LEVEL & DIERR_BADDRIVERVER",
    "ERROR_BUSY & DIERR_ACQUIRED",
    "ERROR_INVALID_ACCESS & DIERR_NOTACQUIRED",
    "ERROR_NOT_FOUND & E_PROP_ID_UNSUPPORTED",
    "ERROR_NOT_READY & DIERR_NOTINITIALIZED",
    "ERROR_NO_MORE_ITEMS & DIERR_NOMOREITEMS",
    "ERROR_OLD_WIN_VERSION & DIERR_OLDDIRECTINPUTVERSION",
    "ERROR_READ_FAULT & DIERR_INPUTLOST",
    "ERROR_RMODE_APP & DIERR_BETADIRECTINPUTVERSION",
    "ERROR_SET_NOT_FOUND & E_PROP_SET_UNSUPPORTED",
    "MS_S_ENDOFSTREAM & WBEM_S_DIFFERENT",
    "OLE_S_MAC_CLIPFORMAT & MS_S_NOUPDATE & WBEM_S_RESET_TO_DEFAULT",
    "OLE_S_STATIC & MS_S_PENDING & WBEM_S_ALREADY_EXISTS",
]

# DirectInput's driver-specific codes: the first, and the five after it by their offset.
DRIVER_FIRST_NAME = "DIERR_DRIVERFIRST"
DRIVER_FIRST = 0x80040300
DRIVER_FIRST_FOLLOWERS = 5

# A system error number n also stands as the HRESULT 0x80070000 + n.
WIN32_RESULT = 0x80070000

# Macros that come from the compiler's headers rather than from the ones read here.
BUILTIN_MACROS = {"__MSABI_LONG": (["x"], "x")}
# Type names that may stand in a cast, and whether the type is signed.
CAST_TYPES = {
    "HRESULT": True, "SCODE": True, "LONG": True, "long": True, "int": True, "__LONG32": True,
    "SECURITY_STATUS": True, "INT": True, "signed": True,
    "DWORD": False, "ULONG": False, "UINT": False, "unsigned": False,
}


# ----------------------------------------------------------------------------------------
# Reading the headers

def StripComments(text):
    text = re.sub(r"/\*.*?\*/", lambda match: "\n" * match.group(0).count("\n"), text,
                  flags=re.S)
    return re.sub(r"//[^\n]*", "", text)


TOKEN_RE = re.compile(r"(0[xX][0-9A-Fa-f]+|\d+)[uUlL]*|([A-Za-z_]\w*)|"
                      r"(<<|>>|<=|>=|==|!=|&&|\|\||[-+*/%&|^~!<>?:(),])")


def Tokenize(text):
    tokens = []
    position = 0
    while True:
        while position < len(text) and text[position].isspace():
            position += 1
        if position == len(text):
            return tokens
        match = TOKEN_RE.match(text, position)
        if not match:
            raise ValueError("cannot read %r" % text[position:])
        number, name, operator = match.groups()
        if number is not None:
            octal = re.fullmatch(r"0[0-7]+", number)
            tokens.append(("num", int(number, 8) if octal else int(number, 0)))
        elif name is not None:
            tokens.append(("id", name))
        else:
            tokens.append(("op", operator))
        position = match.end()


class Header:
    """One header's definitions and explicitly valued enum members, in their order."""

    def __init__(self, text, definedBefore):
        self.defines = []      # (name, parameters or None, body)
        self.enumMembers = []  # (member, expression)
        text = StripComments(text.replace("\\\r\n", " ").replace("\\\n", " "))
        self.Parse(text, set(definedBefore))

    def Parse(self, text, defined):
        # Conditions on whether a name is defined are followed. Other conditions keep every
        # branch, so that every code the header publishes is seen.
        stack = []  # per open condition: (active outside, condition or None)
        active = True
        body = []
        for line in text.split("\n"):
            directive = re.match(r"\s*#\s*(\w+)\s*(.*)", line)
            if not directive:
                if active:
                    body.append(line)
                continue
            keyword, rest = directive.group(1), directive.group(2).strip()
            if keyword in ("ifdef", "ifndef"):
                isDefined = rest.split()[0] in defined
                condition = isDefined if keyword == "ifdef" else not isDefined
                stack.append((active, condition))
                active = active and condition
            elif keyword == "if":
                stack.append((active, None))
            elif keyword == "else" and stack:
                outside, condition = stack[-1]
                if condition is not None:
                    active = outside and not condition
            elif keyword == "endif" and stack:
                active = stack.pop()[0]
            elif keyword == "define" and active:
                match = re.match(r"(\w+)(\(([^)]*)\))?\s*(.*)", rest)
                name, hasParameters, parameters, value = match.groups()
                parameterList = ([p.strip() for p in parameters.split(",") if p.strip()]
                                 if hasParameters else None)
                self.defines.append((name, parameterList, value.strip()))
                defined.add(name)
            elif keyword == "undef" and active:
                defined.discard(rest.split()[0])
        for match in re.finditer(r"\benum\b[^{;]*\{([^}]*)\}", "\n".join(body)):
            for member in match.group(1).split(","):
                valued = re.match(r"\s*(\w+)\s*=\s*(.+)$", member, re.S)
                if valued:
                    self.enumMembers.append((valued.group(1), " ".join(valued.group(2).split())))


# ----------------------------------------------------------------------------------------
# Evaluating definitions

class Scope:
    """The definitions a header's codes see: its own first, then the earlier headers'."""

    def __init__(self, outer=None):
        self.objects = {} if outer is None else dict(outer.objects)
        self.functions = dict(BUILTIN_MACROS) if outer is None else dict(outer.functions)
        self.own = set()

    def Define(self, name, parameters, body):
        table = self.objects if parameters is None else self.functions
        if name not in self.own:  # the first definition in a header counts
            table[name] = body if parameters is None else (parameters, body)
            self.own.add(name)

    def Expand(self, tokens, active=frozenset()):
        result = []
        index = 0
        while index < len(tokens):
            kind, value = tokens[index]
            if kind == "id" and value in self.objects and value not in active:
                result += self.Expand(Tokenize(self.objects[value]), active | {value})
                index += 1
            elif (kind == "id" and value in self.functions and value not in active and
                  index + 1 < len(tokens) and tokens[index + 1] == ("op", "(")):
                arguments, index = self.ReadArguments(tokens, index + 2)
                parameters, body = self.functions[value]
                if len(arguments) != len(parameters):
                    raise ValueError("%s takes %d arguments" % (value, len(parameters)))
                expanded = [self.Expand(argument, active) for argument in arguments]
                substituted = []
                for token in Tokenize(body):
                    if token[0] == "id" and token[1] in parameters:
                        substituted += ([("op", "(")] + expanded[parameters.index(token[1])] +
                                        [("op", ")")])
                    else:
                        substituted.append(token)
                result += self.Expand(substituted, active | {value})
            else:
                result.append(tokens[index])
                index += 1
        return result

    @staticmethod
    def ReadArguments(tokens, index):
        arguments = [[]]
        depth = 0
        while index < len(tokens):
            token = tokens[index]
            index += 1
            if token == ("op", ")") and depth == 0:
                return ([] if arguments == [[]] else arguments), index
            if token == ("op", "("):
                depth += 1
            elif token == ("op", ")"):
                depth -= 1
            if token == ("op", ",") and depth == 0:
                arguments.append([])
            else:
                arguments[-1].append(token)
        raise ValueError("unclosed macro call")

    def Evaluate(self, text):
        tokens = self.Expand(Tokenize(text))
        parser = ExpressionParser(tokens)
        value = parser.Conditional()
        if parser.index != len(tokens):
            raise ValueError("cannot evaluate %r" % (parser.Peek()[1],))
        return value & 0xFFFFFFFF


def ToSigned(value):
    value &= 0xFFFFFFFF
    return value - (1 << 32) if value & 0x80000000 else value


class ExpressionParser:
    """C's integer expressions by recursive descent; a cast wraps to 32 bits."""

    LEVELS = [["||"], ["&&"], ["|"], ["^"], ["&"], ["==", "!="], ["<", ">", "<=", ">="],
              ["<<", ">>"], ["+", "-"], ["*", "/", "%"]]

    def __init__(self, tokens):
        self.tokens = tokens
        self.index = 0

    def Peek(self, offset=0):
        position = self.index + offset
        return self.tokens[position] if position < len(self.tokens) else (None, None)

    def Take(self, operator):
        if self.Peek() == ("op", operator):
            self.index += 1
            return True
        return False

    def Conditional(self):
        condition = self.Binary(0)
        if not self.Take("?"):
            return condition
        whenTrue = self.Conditional()
        if not self.Take(":"):
            raise ValueError("missing ':'")
        whenFalse = self.Conditional()
        return whenTrue if condition else whenFalse

    def Binary(self, level):
        if level == len(self.LEVELS):
            return self.Unary()
        left = self.Binary(level + 1)
        while self.Peek()[0] == "op" and self.Peek()[1] in self.LEVELS[level]:
            operator = self.Peek()[1]
            self.index += 1
            left = self.Apply(operator, left, self.Binary(level + 1))
        return left

    @staticmethod
    def Apply(operator, left, right):
        if operator in ("/", "%") and right == 0:
            raise ValueError("division by zero")
        operations = {
            "||": lambda: int(bool(left) or bool(right)),
            "&&": lambda: int(bool(left) and bool(right)),
            "|": lambda: left | right, "^": lambda: left ^ right, "&": lambda: left & right,
            "==": lambda: int(left == right), "!=": lambda: int(left != right),
            "<": lambda: int(left < right), ">": lambda: int(left > right),
            "<=": lambda: int(left <= right), ">=": lambda: int(left >= right),
            "<<": lambda: (left << right) & 0xFFFFFFFF, ">>": lambda: left >> right,
            "+": lambda: left + right, "-": lambda: left - right, "*": lambda: left * right,
            "/": lambda: int(left / right), "%": lambda: left - int(left / right) * right,
        }
        return operations[operator]()

    def Cast(self):
        """Whether a cast starts here (signed or not) and how many tokens it takes."""
        offset = 1
        signed = None
        while self.Peek(offset)[0] == "id" and self.Peek(offset)[1] in CAST_TYPES:
            word = self.Peek(offset)[1]
            if signed is None or word == "unsigned":
                signed = CAST_TYPES[word]
            offset += 1
        if signed is None or self.Peek(offset) != ("op", ")"):
            return None, 0
        return signed, offset + 1

    def Unary(self):
        if self.Take("-"):
            return -self.Unary()
        if self.Take("+"):
            return self.Unary()
        if self.Take("~"):
            return ~self.Unary() & 0xFFFFFFFF
        if self.Take("!"):
            return int(not self.Unary())
        if self.Peek() == ("op", "("):
            signed, length = self.Cast()
            if signed is not None:
                self.index += length
                value = self.Unary() & 0xFFFFFFFF
                return ToSigned(value) if signed else value
            self.index += 1
            value = self.Conditional()
            if not self.Take(")"):
                raise ValueError("missing ')'")
            return value
        kind, value = self.Peek()
        if kind == "num":
            self.index += 1
            return value
        raise ValueError("cannot evaluate %r" % (value,))


# ----------------------------------------------------------------------------------------
# Building the table

def FamilyIndex(name):
    first = name.split(" & ")[0]
    for index, (_, _, patterns) in enumerate(FAMILIES):
        if any(re.match(pattern, first) for pattern in patterns):
            return index
    return None


def IsAlias(body):
    """A definition that only names another code, perhaps cast, is no name of its own."""
    tokens = [token for token in Tokenize(body) if token not in (("op", "("), ("op", ")"))]
    names = [value for kind, value in tokens if kind == "id" and value not in CAST_TYPES]
    return len(names) == 1 and all(kind == "id" for kind, _ in tokens)


def IsRangeMarker(name):
    return re.search(r"_(FIRST|LAST|BASE)$", name) is not None or name == "WSABASEERR"


class Code:
    def __init__(self, name, value, header, order, derived=False):
        self.name = name
        self.value = value
        self.header = header
        self.order = order
        self.derived = derived  # the HRESULT form of a system error number


def ReadCodes(headerTexts, problems, outside):
    """Every published code of the families: a list of Code, aliases left out. The names
    of other families go to outside, by prefix."""
    codes = []
    seen = set()
    previous = None
    definedBefore = set()
    for headerName in HEADERS:
        header = Header(headerTexts[headerName], definedBefore)
        scope = Scope(previous)
        for name, parameters, body in header.defines:
            scope.Define(name, parameters, body)
        for member, expression in header.enumMembers:
            scope.Define(member, None, expression)
        candidates = [(name, body) for name, parameters, body in header.defines
                      if parameters is None and body]
        candidates += header.enumMembers
        for name, body in candidates:
            if name in seen or name in NOT_CODES:
                continue
            if FamilyIndex(name) is None:
                prefix = re.match(r"_*[A-Za-z0-9]+_?", name).group(0)
                if (headerName == "winerror.h" and not name.startswith("_") and
                        prefix not in ("FACILITY_", "SEVERITY_")):
                    outside[prefix] = outside.get(prefix, 0) + 1
                continue
            seen.add(name)
            try:
                if IsAlias(body):
                    continue
                value = scope.Evaluate(body)
            except (ValueError, IndexError) as error:
                problems.append("%s: %s %s: %s" % (headerName, name, body, error))
                continue
            codes.append(Code(name, value, headerName, len(codes)))
        definedBefore |= {name for name, _, _ in header.defines}
        previous = scope
    return codes


def IsSystemError(code):
    """A system error number: it also stands in its HRESULT form."""
    return (code.header == "winerror.h" and 0 < code.value <= 0xFFFF and
            FAMILIES[FamilyIndex(code.name)][0] != "E_, S_")


def BuildTable(codes, problems):
    """The sorted list of (code, name) by the table's rules."""
    byName = {code.name: code for code in codes}
    candidates = {}
    for code in codes:
        candidates.setdefault(code.value, []).append(code)
        if IsSystemError(code):
            form = WIN32_RESULT + code.value
            candidates.setdefault(form, []).append(
                Code(code.name, form, code.header, code.order, derived=True))

    joinedAt = {}
    for joined in JOINED:
        parts = joined.split(" & ")
        values = set()
        for part in parts:
            if part in byName:
                code = byName[part]
                values.add(WIN32_RESULT + code.value if IsSystemError(code) else code.value)
        if len(values) != 1:
            problems.append("joined name %r: its parts give %s" %
                            (joined, sorted("0x%08x" % v for v in values) or "no value"))
            continue
        joinedAt[values.pop()] = joined

    table = {}
    for value, names in candidates.items():
        if value in joinedAt:
            continue

        def Rank(code):
            return (not IsRangeMarker(code.name), FamilyIndex(code.name), code.derived,
                    HEADERS.index(code.header), code.order)
        table[value] = min(names, key=Rank).name
    table.update(joinedAt)

    for offset in range(DRIVER_FIRST_FOLLOWERS + 1):
        if DRIVER_FIRST + offset in table:
            problems.append("0x%08x is both %s and %s" % (
                DRIVER_FIRST + offset, table[DRIVER_FIRST + offset], DRIVER_FIRST_NAME))
        table[DRIVER_FIRST + offset] = DRIVER_FIRST_NAME + ("+%d" % offset if offset else "")
    return sorted(table.items())


def FamilyCounts(table):
    names = {name for _, name in table}
    counts = [0] * len(FAMILIES)
    for name in names:
        counts[FamilyIndex(name)] += 1
    return counts, len(names)


def PrintCounts(table, problems, outside):
    counts, total = FamilyCounts(table)
    print("%-60s %7s %7s" % ("family", "planned", "found"))
    for (label, planned, _), count in zip(FAMILIES, counts):
        note = "" if count == planned else ("  (%+d)" % (count - planned))
        print("%-60s %7d %7d%s" % (label, planned, count, note))
    print("%-60s %7d %7d  (%d codes)" % ("all names", PLANNED_TOTAL, total, len(table)))
    print("\nNot in the package:")
    for family in ABSENT_FAMILIES:
        print("  " + family)
    if outside:
        print("\nNames of winerror.h outside the families, left out (prefix: names):")
        ranked = sorted(outside.items(), key=lambda item: (-item[1], item[0]))
        print("  " + ", ".join("%s %d" % item for item in ranked))
    if problems:
        print("\nLeft out:")
        for problem in problems:
            print("  " + problem)


# ----------------------------------------------------------------------------------------
# Writing the table

def CppLiteral(text):
    if not re.fullmatch(r"[A-Za-z0-9_ &+]*", text):
        raise ValueError("unexpected character in %r" % text)
    return '"%s"' % text


def WriteTable(table, path):
    lines = [
        "// The published names of the platform's result codes, sorted by code.",
        "// Generated by tools/gen_error_tables.py from the platform's result-code headers;",
        "// run the tool again rather than editing this file. One entry a line, however long.",
        "// clang-format off",
        "#include \"diag/error_tables.h\"",
        "",
        "constinit const ErrorName ERROR_NAMES[] = {",
    ]
    for value, name in table:
        literal = CppLiteral(name)
        lines.append("    {0x%08Xu, %s, u%s}," % (value, literal, literal))
    lines += [
        "};",
        "",
        "constinit const size_t ERROR_NAME_COUNT = sizeof(ERROR_NAMES) / sizeof(ERROR_NAMES[0]);",
        "",
    ]
    with open(path, "w", encoding="ascii") as output:
        output.write("\n".join(lines))


def ReadHeaders(debFile):
    """Unpacks the package in a temporary folder and reads only the named headers."""
    with tempfile.TemporaryDirectory(prefix="zf-error-tables-") as folder:
        if debFile is None:
            subprocess.run(["apt-get", "download", PACKAGE], cwd=folder, check=True)
            debFile = next(os.path.join(folder, entry) for entry in os.listdir(folder)
                           if entry.endswith(".deb"))
        unpacked = os.path.join(folder, "unpacked")
        subprocess.run(["dpkg-deb", "-x", debFile, unpacked], check=True)
        texts = {}
        for header in HEADERS:
            with open(os.path.join(unpacked, INCLUDE_DIR, header), encoding="latin-1") as file:
                texts[header] = file.read()
        return texts


def Main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--deb", help="the package file, instead of downloading it")
    parser.add_argument("--output", default=DEFAULT_OUTPUT, help="the table source to write")
    parser.add_argument("--dry-run", action="store_true", help="print the counts only")
    arguments = parser.parse_args()

    problems = []
    outside = {}
    table = BuildTable(ReadCodes(ReadHeaders(arguments.deb), problems, outside), problems)
    PrintCounts(table, problems, outside)
    if not arguments.dry_run:
        WriteTable(table, arguments.output)
        print("\nwrote %d codes to %s" % (len(table), os.path.normpath(arguments.output)))
    return 0


if __name__ == "__main__":
    sys.exit(Main())
