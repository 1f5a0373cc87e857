#!/usr/bin/env python3
"""Reads the shipped Windows programs back and checks what Windows shows of
them: 32-bit GUI programs that need only system DLLs; quarnel.exe's icon,
every field of its version resource and each setting of its manifest; and
that the zip holds exactly the programs, the template, readme.txt (code page
932, CR LF only, naming the version and the licence) and the licence.

usage: check_exe.py ZIP TEMPLATE LICENSE VERSION QUARNEL_EXE [OTHER_EXE...]
"""
import os
import struct
import sys
import xml.etree.ElementTree as ElementTree
import zipfile

RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24
ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
COMPATIBILITY = "{urn:schemas-microsoft-com:compatibility.v1}"
SETTINGS_2005 = "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}"
SETTINGS_2016 = "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}"
# Windows Vista, 7, 8, 8.1, and 10 and 11 (which share one).
SUPPORTED_OS = {"{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "comdlg32.dll", "msvcrt.dll", "gdi32.dll",
               "advapi32.dll", "shell32.dll"}

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


class Pe:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a PE file")
        self.machine, sections, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        self.magic = struct.unpack_from("<H", data, optional)[0]
        self.subsystem = struct.unpack_from("<H", data, optional + 68)[0]
        directories = optional + 96  # PE32
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i) for i in range(16)]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            _, vsize, vaddr, rsize, raddr = struct.unpack_from("<8sIIII", data, table + 40 * i)
            self.sections.append((vaddr, max(vsize, rsize), raddr))

    def offset(self, rva):
        for vaddr, size, raddr in self.sections:
            if vaddr <= rva < vaddr + size:
                return rva - vaddr + raddr
        raise ValueError("address %#x is in no section" % rva)

    def imports(self):
        rva, size = self.directories[1]
        names, at = [], self.offset(rva)
        while True:
            entry = struct.unpack_from("<IIIII", self.data, at)
            if entry == (0, 0, 0, 0, 0):
                return names
            name_at = self.offset(entry[3])
            names.append(self.data[name_at:self.data.index(b"\0", name_at)].decode("ascii"))
            at += 20

    def resources(self):
        """{type: [(name, language, bytes)]}, names and types as numbers."""
        rva, _ = self.directories[2]
        if rva == 0:
            return {}
        base = self.offset(rva)

        def entries(at):
            named, numbered = struct.unpack_from("<HH", self.data, at + 12)
            for i in range(named + numbered):
                ident, target = struct.unpack_from("<II", self.data, at + 16 + 8 * i)
                yield ident, target

        found = {}
        for kind, to_names in entries(base):
            for name, to_languages in entries(base + (to_names & 0x7FFFFFFF)):
                for language, to_data in entries(base + (to_languages & 0x7FFFFFFF)):
                    data_rva, size = struct.unpack_from("<II", self.data, base + to_data)
                    at = self.offset(data_rva)
                    found.setdefault(kind, []).append((name, language, self.data[at:at + size]))
        return found


def version_block(data, at):
    """One node of a version resource: (key, value bytes, children, end)."""
    length, value_length, kind = struct.unpack_from("<HHH", data, at)
    end = at + length
    key_at = at + 6
    key_end = key_at
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[key_at:key_end].decode("utf-16-le")
    value_at = (key_end + 2 + 3) & ~3
    value_size = value_length * 2 if kind == 1 else value_length
    value = data[value_at:value_at + value_size]
    children = []
    child = (value_at + value_size + 3) & ~3
    while child < end:
        node = version_block(data, child)
        children.append(node)
        child = (node[3] + 3) & ~3
    return key, value, children, end


def check_manifest(data):
    """The settings Windows reads from the manifest, each as Windows reads it."""
    try:
        root = ElementTree.fromstring(data)
    except ElementTree.ParseError as e:
        check(False, "the manifest is no XML: %s" % e)
        return
    check(root.tag == ASM_V1 + "assembly" and root.get("manifestVersion") == "1.0",
          "the manifest's root is %s" % root.tag)
    levels = root.findall("%strustInfo/%ssecurity/%srequestedPrivileges/%srequestedExecutionLevel"
                          % (ASM_V3, ASM_V3, ASM_V3, ASM_V3))
    check([(e.get("level"), e.get("uiAccess")) for e in levels] == [("asInvoker", "false")],
          "execution level %s, expected asInvoker" % [e.attrib for e in levels])
    systems = {e.get("Id") for e in root.findall("%scompatibility/%sapplication/%ssupportedOS"
                                                 % (COMPATIBILITY, COMPATIBILITY, COMPATIBILITY))}
    check(systems == SUPPORTED_OS, "supported systems %s" % sorted(systems))
    settings = root.findall("%sapplication/%swindowsSettings" % (ASM_V3, ASM_V3))
    values = {}
    for block in settings:
        for element in block:
            values[element.tag] = (element.text or "").strip()
    want = {SETTINGS_2005 + "dpiAware": "true/pm",
            SETTINGS_2016 + "dpiAwareness": "PerMonitorV2, PerMonitor",
            SETTINGS_2016 + "longPathAware": "true"}
    for tag, value in want.items():
        seen = values.get(tag)
        check(seen is not None and seen.lower() == value.lower(), "%s is %r, expected %r"
              % (tag.split("}")[1], seen, value))
    # Code page 65001 for the program's own ANSI functions would change what
    # the dialog hands back; the system's setting decides it.
    check(not any(tag.endswith("}activeCodePage") for tag in values), "the manifest sets a code page")
    controls = [e.attrib for e in root.findall("%sdependency/%sdependentAssembly/%sassemblyIdentity"
                                               % (ASM_V1, ASM_V1, ASM_V1))]
    want_controls = {"type": "win32", "name": "Microsoft.Windows.Common-Controls",
                     "version": "6.0.0.0", "processorArchitecture": "*",
                     "publicKeyToken": "6595b64144ccf1df", "language": "*"}
    check(controls == [want_controls], "dependencies %s, expected Common Controls 6" % controls)


def check_program(path):
    """A 32-bit GUI program that runs on the system's DLLs alone."""
    with open(path, "rb") as f:
        pe = Pe(f.read())
    name = os.path.basename(path)
    check(pe.machine == 0x14C, "%s: not a 32-bit x86 program (machine %#x)" % (name, pe.machine))
    check(pe.magic == 0x10B, "%s: not PE32" % name)
    check(pe.subsystem == 2, "%s: not a GUI program (subsystem %d)" % (name, pe.subsystem))
    dlls = {dll.lower() for dll in pe.imports()}
    check(dlls <= SYSTEM_DLLS, "%s needs DLLs beside the system's: %s" % (name, sorted(dlls - SYSTEM_DLLS)))
    return pe


def check_readme(data, version):
    """readme.txt as Japanese Windows editors read it."""
    try:
        text = data.decode("cp932")
    except UnicodeDecodeError as e:
        check(False, "readme.txt is not code page 932: %s" % e)
        return
    check(text.count("\n") > 0 and text.count("\n") == text.count("\r\n") == text.count("\r"),
          "readme.txt has line ends other than CR LF")
    check(text.endswith("\r\n"), "readme.txt does not end with CR LF")
    for want in ("quarnel.exe", "template.dat", "LICENSE", "MIT", "SmartScreen", "バージョン " + version,
                 "履歴", "ドラッグ", "ダブルクリック", "template.datが見つかりません"):
        check(want in text, "readme.txt does not mention %r" % want)


def main():
    zip_path, template, licence, version = sys.argv[1:5]
    exes = sys.argv[5:]
    exe = exes[0]
    pe = check_program(exe)
    for other in exes[1:]:
        check_program(other)

    resources = pe.resources()
    check(RT_GROUP_ICON in resources and RT_ICON in resources, "no icon")
    if RT_GROUP_ICON in resources:
        group = resources[RT_GROUP_ICON][0][2]
        count = struct.unpack_from("<HHH", group, 0)[2]
        sizes = sorted(group[6 + 14 * i] or 256 for i in range(count))
        check(16 in sizes and 32 in sizes, "the icon lacks 16 or 32 pixels: %s" % sizes)

    versions = resources.get(RT_VERSION, [])
    check(len(versions) == 1, "%d version resources" % len(versions))
    if versions:
        check(versions[0][1] == 0x0411, "version resource language %#x" % versions[0][1])
        key, fixed, children, _ = version_block(versions[0][2], 0)
        check(key == "VS_VERSION_INFO", "version resource key %r" % key)
        (signature, _, file_ms, file_ls, product_ms, product_ls) = struct.unpack_from("<6I", fixed, 0)
        check(signature == 0xFEEF04BD, "no fixed version information")
        check((file_ms, file_ls) == (0x10000, 0), "file version %#x.%#x" % (file_ms, file_ls))
        check((product_ms, product_ls) == (0x10000, 0), "product version %#x.%#x" % (product_ms, product_ls))
        blocks = {child[0]: child for child in children}
        tables = {t[0]: t for t in blocks.get("StringFileInfo", ("", b"", [], 0))[2]}
        check(list(tables) == ["041104B0"], "string tables %s" % list(tables))
        strings = {}
        for entry in tables.get("041104B0", ("", b"", [], 0))[2]:
            strings[entry[0]] = entry[1].decode("utf-16-le").rstrip("\0")
        want = {"FileVersion": version, "ProductVersion": version, "ProductName": "quarnel",
                "InternalName": "quarnel", "OriginalFilename": "quarnel.exe",
                "FileDescription": "Quarnel ステージデータから HTML のページを作るツール",
                "LegalCopyright": "Copyright (c) 2026 The Quarnel developers (MIT License)"}
        for name, value in want.items():
            check(strings.get(name) == value, "%s is %r, expected %r" % (name, strings.get(name), value))
        check(set(strings) == set(want), "other version fields: %s" % sorted(set(strings) - set(want)))
        translations = {v[0]: v[1] for v in blocks.get("VarFileInfo", ("", b"", [], 0))[2]}
        check(translations.get("Translation") == struct.pack("<HH", 0x0411, 1200),
              "translation %r" % translations.get("Translation"))

    manifests = resources.get(RT_MANIFEST, [])
    check([m[0] for m in manifests] == [1], "manifests %s, expected one numbered 1"
          % [m[0] for m in manifests])
    if manifests:
        check_manifest(manifests[0][2])

    with zipfile.ZipFile(zip_path) as z:
        names = sorted(z.namelist())
        copies = {os.path.basename(path): path for path in exes + [template, licence]}
        want = sorted(list(copies) + ["readme.txt"])
        check(names == want, "the zip holds %s, expected %s" % (names, want))
        for name, path in copies.items():
            if name in names:
                with open(path, "rb") as f:
                    check(z.read(name) == f.read(), "the zip's %s differs from %s" % (name, path))
        if "readme.txt" in names:
            check_readme(z.read("readme.txt"), version)

    for failure in failures:
        print("FAIL:", failure, file=sys.stderr)
    if failures:
        sys.exit(1)
    print("quarnel.exe and its zip: ok")


if __name__ == "__main__":
    main()
