#!/usr/bin/env python3
"""Writes docs/members.md, the member reference, from the helpstrings of the IDL.

    tools/members.py           rewrite docs/members.md
    tools/members.py --check   exit 1 when docs/members.md differs from what
                               the IDL gives (the test members_doc runs this)

The IDL is the one source of the COM contract: object browsers show the same
helpstrings from the type libraries. Every interface, member and class must
carry one, and a property's accessors must carry the same text.
"""
import re
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
OUTPUT = ROOT / "docs" / "members.md"
SOURCES = [
    ("pendrel.dll", "src/platform/win32/component/pendrel.idl"),
    ("pendrelhost.dll", "host/win32/pendrelhost.idl"),
]

STRING = r'"(?:[^"\\]|\\.)*"'
ATTRIBUTES = rf'\[((?:[^\]"]|{STRING})*)\]'
MEMBER = re.compile(ATTRIBUTES + rf'\s*HRESULT\s+(\w+)\s*\(((?:[^()"]|{STRING}|\([^()]*\))*)\)\s*;')
INTERFACE = re.compile(ATTRIBUTES + r'\s*interface\s+(\w+)\s*:\s*\w+\s*\{([^{}]*)\}')
COCLASS = re.compile(ATTRIBUTES + r'\s*coclass\s+(\w+)\s*\{([^{}]*)\}')
LIBRARY = re.compile(ATTRIBUTES + r'\s*library\s+(\w+)')

# Automation types as a VB or VBScript programmer writes them.
VB_TYPES = {
    "IDispatch": "Object", "BSTR": "String", "VARIANT_BOOL": "Boolean", "long": "Long",
    "short": "Integer", "double": "Double", "DATE": "Date", "VARIANT": "Variant",
}
ACCESS = {"propget": "get", "propput": "let", "propputref": "set"}


class IdlError(Exception):
    pass


def strip_comments(text):
    out, i = [], 0
    while i < len(text):
        if text[i] == '"':
            end = re.match(STRING, text[i:]).end()
            out.append(text[i:i + end])
            i += end
        elif text.startswith("//", i):
            i = text.find("\n", i) if "\n" in text[i:] else len(text)
        else:
            out.append(text[i])
            i += 1
    return "".join(out)


def split_top(text):
    """Splits at the commas outside parentheses and strings."""
    parts, depth, start, i = [], 0, 0, 0
    while i < len(text):
        c = text[i]
        if c == '"':
            i += re.match(STRING, text[i:]).end()
            continue
        depth += {"(": 1, "[": 1, ")": -1, "]": -1}.get(c, 0)
        if c == "," and depth == 0:
            parts.append(text[start:i].strip())
            start = i + 1
        i += 1
    if text[start:].strip():
        parts.append(text[start:].strip())
    return parts


def unquote(literal):
    return re.sub(r"\\(.)", r"\1", literal[1:-1])


def attributes(text):
    found = {}
    for part in split_top(text):
        m = re.fullmatch(r"(\w+)\s*(?:\((.*)\))?", part, re.S)
        if m:
            found[m.group(1)] = m.group(2)
    return found


def helpstring(attrs, what):
    if attrs.get("helpstring") is None:
        raise IdlError(f"{what} has no helpstring")
    return unquote(attrs["helpstring"])


def parameter(text):
    m = re.fullmatch(r"\[([^\]]*)\]\s*(\w+)\s*(\**)\s*(\w+)", text.strip())
    if not m:
        raise IdlError(f"cannot read the parameter '{text}'")
    attrs = attributes(m.group(1))
    return {"attrs": attrs, "type": VB_TYPES.get(m.group(2), m.group(2)), "name": m.group(4)}


def signature_arguments(params):
    shown = []
    for p in params:
        text = f"{p['name']} As {p['type']}"
        default = p["attrs"].get("defaultvalue")
        if default is not None:
            default = re.sub(r'^L"', '"', default)
            text += " = " + ({"0": "False", "-1": "True"}.get(default, default) if p["type"] == "Boolean" else default)
        shown.append(f"[{text}]" if "optional" in p["attrs"] else text)
    return shown


def members_of(body, interface):
    members = {}
    for m in MEMBER.finditer(body):
        attrs, name = attributes(m.group(1)), m.group(2)
        params = [parameter(p) for p in split_top(m.group(3))]
        kind = next((k for k in ACCESS if k in attrs), "method")
        text = helpstring(attrs, f"{interface}.{name} ({kind})")
        member = members.setdefault(name, {"id": attrs.get("id"), "kinds": [], "text": text, "params": params})
        if member["text"] != text:
            raise IdlError(f"the accessors of {interface}.{name} carry different helpstrings")
        member["kinds"].append(kind)
        if kind == "propget":
            member["params"] = params
    return members


def markdown(text):
    """A helpstring as table text: backslashes and bars stay literal."""
    return text.replace("\\", "\\\\").replace("|", "\\|").replace("<", "&lt;")


def member_row(name, member):
    params = member["params"]
    result = next((p["type"] for p in params if "retval" in p["attrs"]), None)
    inputs = [p for p in params if "retval" not in p["attrs"]]
    dispid = "0 (default)" if member["id"] == "DISPID_VALUE" else member["id"]
    if member["kinds"] == ["method"]:
        shown = f"`{name}({', '.join(signature_arguments(inputs))})`"
        kind = "method"
        type_ = result or ""
    else:
        if "propget" not in member["kinds"]:
            raise IdlError(f"the property {name} cannot be read")
        shown = f"`{name}({', '.join(signature_arguments(inputs))})`" if inputs else f"`{name}`"
        kind = "property (" + ", ".join(ACCESS[k] for k in ACCESS if k in member["kinds"]) + ")"
        type_ = result
    return f"| {dispid} | {shown} | {kind} | {type_} | {markdown(member['text'])} |"


def interface_section(heading, interface):
    lines = [heading, "", markdown(interface["text"]) + ".", "",
             "| Id | Member | Kind | Type | Description |", "|---|---|---|---|---|"]
    lines += [member_row(name, m) for name, m in interface["members"].items()]
    return lines + [""]


def read_idl(path):
    text = strip_comments((ROOT / path).read_text())
    library = LIBRARY.search(text)
    lib_attrs = attributes(library.group(1))
    interfaces = {}
    for m in INTERFACE.finditer(text):
        attrs, name = attributes(m.group(1)), m.group(2)
        interfaces[name] = {"text": helpstring(attrs, f"interface {name}"), "uuid": attrs["uuid"],
                            "members": members_of(m.group(3), name)}
    coclasses = []
    for m in COCLASS.finditer(text):
        attrs, name = attributes(m.group(1)), m.group(2)
        default = re.search(r"\[default\]\s*interface\s+(\w+)", m.group(3)).group(1)
        progid = unquote(attrs["progid"]) if "progid" in attrs else f"{library.group(2)}.{name}"
        coclasses.append({"name": name, "progid": progid, "uuid": attrs["uuid"], "default": default,
                          "text": helpstring(attrs, f"coclass {name}")})
    return {"name": library.group(2), "version": lib_attrs["version"], "uuid": lib_attrs["uuid"],
            "text": helpstring(lib_attrs, f"library {library.group(2)}"),
            "interfaces": interfaces, "coclasses": coclasses}


def render():
    out = [
        "# Member reference",
        "",
        "<!-- Written by tools/members.py from the IDL helpstrings; do not edit. -->",
        "",
        "Written by `tools/members.py` from the helpstrings of "
        + " and ".join(f"`{path}`" for _, path in SOURCES)
        + ", which object browsers show too. To change a text, edit the IDL and run "
        "`python3 tools/members.py`; the test `members_doc` fails while this page is stale.",
        "",
        "Kinds: a property's *get* reads it, *let* writes a value, *set* writes an object "
        "reference (`Set x.Computer = computer`). Positions and sizes are in twips, 1440 to "
        "the inch. Ids are the dispatch ids. Errors are listed in [errors.md](errors.md).",
        "",
    ]
    for dll, path in SOURCES:
        lib = read_idl(path)
        out += [f"## {dll}: type library {lib['name']} {lib['version']}", "",
                f"{lib['text']}. LIBID `{{{lib['uuid'].lower()}}}`.", ""]
        described = set()
        for c in lib["coclasses"]:
            interface = lib["interfaces"][c["default"]]
            described.add(c["default"])
            out += [f"### {c['progid']}", "",
                    f"Class `{c['name']}` (\"{markdown(c['text'])}\"), CLSID `{{{c['uuid'].lower()}}}`; "
                    f"default interface `{c['default']}`, "
                    f"IID `{{{interface['uuid'].lower()}}}`.", ""]
            out += interface_section(f"#### Interface {c['default']}", interface)
        for name, interface in lib["interfaces"].items():
            if name not in described:
                out += interface_section(f"### {name}", interface)[:2] + \
                       [f"IID `{{{interface['uuid'].lower()}}}`.", ""] + interface_section("", interface)[2:]
    return "\n".join(out).rstrip("\n") + "\n"


def main(argv):
    try:
        text = render()
    except (IdlError, AttributeError, KeyError) as error:
        print(f"members.py: {error}", file=sys.stderr)
        return 2
    if argv[1:] == ["--check"]:
        if OUTPUT.exists() and OUTPUT.read_text() == text:
            return 0
        print("members.py: docs/members.md is stale; run python3 tools/members.py and commit it", file=sys.stderr)
        return 1
    OUTPUT.write_text(text)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
