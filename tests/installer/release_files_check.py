#!/usr/bin/env python3
"""Checks what the release target wrote into dist/ beside the Setup it built:
the administrative templates, the winget manifests and the Chocolatey package.
Each must parse, carry the fields its format's documentation requires, and
name this version and the Setup's own SHA-256; each policy must set a value
the program reads, under the name and type it reads it with.

    release_files_check.py Templates|Winget|Chocolatey <source folder> <version>
"""
import hashlib
import re
import subprocess
import sys
import xml.etree.ElementTree as ET
import zipfile
from pathlib import Path

import yaml

# The settings the program reads, by subkey (empty: the key itself) and value
# name, with the registry type and the values it knows. None: any text.
SETTINGS = {
    ("Paths", "CommonEditor"): ("text", None),
    ("Paths", "PrinterEditor"): ("text", None),
    ("Paths", "WaitForEditor"): ("dword", {"0", "1", "2"}),
    ("Source", "ExtensionFlag"): ("dword", {"0", "1"}),
    ("Source", "Extension"): ("text", {"htm", "html", "shtml", "xml"}),
    ("", "UILanguage"): ("text", None),
}
PROGRAM_SOURCES = ["settings/settings.cpp", "resources/ui_language.cpp"]
POLICY_KEY = "Software\\Policies\\Corvalen\\Quillgate"
GP = "{http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions}"
# Intune's import: files of 1 MB at most, an en-US language file, no combo box;
# a text element holds at most 1023 characters.
INTUNE_MAX_BYTES = 1024 * 1024
TEXT_MAX_LENGTH = 1023
# The presentation control that shows each kind of element.
CONTROL_OF = {"text": "textBox", "enum": "dropdownList", "boolean": "checkBox",
              "decimal": "decimalTextBox"}

WINGET_ID = "Corvalen.Quillgate"
WINGET_REQUIRED = {
    "version": ["PackageIdentifier", "PackageVersion", "DefaultLocale", "ManifestType",
                "ManifestVersion"],
    "defaultLocale": ["PackageIdentifier", "PackageVersion", "PackageLocale", "Publisher",
                      "PackageName", "License", "ShortDescription", "ManifestType",
                      "ManifestVersion"],
    "locale": ["PackageIdentifier", "PackageVersion", "PackageLocale", "ManifestType",
               "ManifestVersion"],
    "installer": ["PackageIdentifier", "PackageVersion", "Installers", "ManifestType",
                  "ManifestVersion"],
}
WINGET_FILES = {
    f"{WINGET_ID}.yaml": "version",
    f"{WINGET_ID}.installer.yaml": "installer",
    f"{WINGET_ID}.locale.en-US.yaml": "defaultLocale",
    f"{WINGET_ID}.locale.ja-JP.yaml": "locale",
}
RETURN_RESPONSES = {
    "packageInUse", "packageInUseByApplication", "installInProgress", "fileInUse",
    "missingDependency", "diskFull", "insufficientMemory", "invalidParameter", "noNetwork",
    "contactSupport", "rebootRequiredToFinish", "rebootRequiredForInstall", "rebootInitiated",
    "cancelledByUser", "alreadyInstalled", "downgrade", "blockedByPolicy",
    "systemNotSupported", "custom",
}
# Setup's exit codes besides 0, and the response each must have (None: any).
SETUP_CODES = {3010: "rebootRequiredToFinish", 2: None, 740: None}

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
    return condition


def well_formed_xml(path):
    result = subprocess.run(["xmllint", "--noout", str(path)], capture_output=True, text=True)
    return check(result.returncode == 0, f"{path} is not well-formed XML: {result.stderr}")


def check_program_reads_table(sources):
    text = "".join((sources / name).read_text(encoding="utf-8") for name in PROGRAM_SOURCES)
    for subkey, value in SETTINGS:
        check(f'"{value}"' in text and (not subkey or f'"{subkey}"' in text),
              f"the program does not read {subkey}\\{value}")


def strings_of(value):
    match = re.fullmatch(r"\$\((string|presentation)\.(\w+)\)", value or "")
    return match.group(2) if match else None


def admx_value_type(element):
    """The registry type an element writes, and the values it offers."""
    kind = element.tag[len(GP):]
    if kind == "text":
        return "text", None
    if kind == "enum":
        types, values = set(), set()
        for item in element.iter(GP + "item"):
            for value in item.find(GP + "value"):
                types.add("dword" if value.tag == GP + "decimal" else "text")
                values.add(value.get("value") if value.tag == GP + "decimal" else value.text)
        return (types.pop() if len(types) == 1 else "mixed"), values
    if kind == "decimal":
        return "dword", None
    return kind, None


def check_sets(policy, key, name, written, offered):
    subkey = key[len(POLICY_KEY):].lstrip("\\")
    where = f"policy {policy}: {subkey}\\{name}"
    if not check((subkey, name) in SETTINGS, f"{where} is no value the program reads"):
        return None
    kind, known = SETTINGS[(subkey, name)]
    check(written == kind, f"{where} is written as {written}, read as {kind}")
    if known is not None and offered is not None:
        check(offered <= known, f"{where} offers {offered - known}, which the program ignores")
    return subkey, name


def check_templates(sources, dist, version):
    check_program_reads_table(sources)
    folder = sources / "installer" / "policies"
    admx_path = folder / "quillgate.admx"
    languages = {lang: folder / lang / "quillgate.adml" for lang in ("en-US", "ja-JP")}
    if not all(well_formed_xml(p) for p in [admx_path, *languages.values()]):
        return
    check(admx_path.stat().st_size <= INTUNE_MAX_BYTES, "the ADMX is over 1 MB")
    admx = ET.parse(admx_path).getroot()
    check(admx.tag == GP + "policyDefinitions" and admx.get("revision")
          and admx.get("schemaVersion"), "the ADMX's root is no policyDefinitions")
    namespaces = admx.find(GP + "policyNamespaces")
    check(len(namespaces.findall(GP + "target")) == 1, "the ADMX has no target namespace")
    check(namespaces.find(GP + "using") is None, "the ADMX needs another template")
    check(admx.find(GP + "resources").get("minRequiredRevision"), "no minRequiredRevision")
    supported = {d.get("name") for d in admx.iter(GP + "definition")}
    categories = admx.findall(f"{GP}categories/{GP}category")
    check([c.get("name") for c in categories] == ["Quillgate"], "the category is not Quillgate")

    strings = {strings_of(c.get("displayName")) for c in categories}
    strings |= {strings_of(d.get("displayName")) for d in admx.iter(GP + "definition")}
    presentations = {}
    covered = set()
    for policy in admx.iter(GP + "policy"):
        name, key = policy.get("name"), policy.get("key")
        check(policy.get("class") in ("Machine", "User", "Both"), f"{name}: no class")
        check(key == POLICY_KEY or key.startswith(POLICY_KEY + "\\"), f"{name}: key {key}")
        check(policy.find(GP + "parentCategory").get("ref") == "Quillgate", f"{name}: category")
        check(policy.find(GP + "supportedOn").get("ref") in supported, f"{name}: supportedOn")
        strings |= {strings_of(policy.get("displayName")), strings_of(policy.get("explainText"))}
        elements = policy.find(GP + "elements")
        elements = list(elements) if elements is not None else []
        if policy.get("valueName"):
            on = policy.find(f"{GP}enabledValue/{GP}decimal")
            off = policy.find(f"{GP}disabledValue/{GP}decimal")
            written = "dword" if on is not None and off is not None else "other"
            offered = {on.get("value"), off.get("value")} if written == "dword" else None
            covered.add(check_sets(name, key, policy.get("valueName"), written, offered))
        for element in elements:
            written, offered = admx_value_type(element)
            covered.add(check_sets(name, element.get("key", key), element.get("valueName"),
                                   written, offered))
            if element.tag == GP + "text":
                check(int(element.get("maxLength", TEXT_MAX_LENGTH + 1)) <= TEXT_MAX_LENGTH,
                      f"{name}: text longer than {TEXT_MAX_LENGTH}")
            for item in element.iter(GP + "item"):
                strings.add(strings_of(item.get("displayName")))
        if elements:
            controls = {e.get("id"): CONTROL_OF.get(e.tag[len(GP):]) for e in elements}
            presentations[strings_of(policy.get("presentation"))] = controls
    check(set(SETTINGS) <= covered, f"no policy sets {set(SETTINGS) - covered}")

    for lang, path in languages.items():
        adml = ET.parse(path).getroot()
        defined = {s.get("id") for s in adml.iter(GP + "string")}
        check(strings <= defined, f"{lang} lacks the strings {strings - defined}")
        check(not list(adml.iter(GP + "comboBox")), f"{lang} has a combo box")
        shown = {p.get("id"): {c.get("refId"): c.tag[len(GP):] for c in p}
                 for p in adml.iter(GP + "presentation")}
        for presentation, controls in presentations.items():
            check(shown.get(presentation) == controls,
                  f"{lang}: presentation {presentation} shows {shown.get(presentation)}, "
                  f"the policy has {controls}")

    with zipfile.ZipFile(dist / f"quillgate-{version}.zip") as release:
        for relative in ["quillgate.admx", "en-US/quillgate.adml", "ja-JP/quillgate.adml"]:
            packed = release.read(f"policies/{relative}")
            check(packed == (folder / relative).read_bytes(), f"the zip's {relative} differs")


def setup_of(dist, version):
    setup = dist / f"quillgate-{version}-setup.exe"
    return setup.name, hashlib.sha256(setup.read_bytes()).hexdigest().upper()


def apps_entry_of_setup(sources, version):
    """What Setup writes into its Apps entry, read from its script."""
    script = (sources / "installer" / "quillgate.nsi").read_text(encoding="utf-8")
    key = re.search(r'!define UNINSTALL_KEY "[^"]*\\([^"\\]+)"', script).group(1)
    entry = {"ProductCode": key}
    for value in ("DisplayName", "Publisher", "DisplayVersion"):
        written = re.search(rf'WriteRegStr HKLM "\$\{{UNINSTALL_KEY}}" "{value}" "([^"]*)"',
                            script).group(1)
        entry[value] = written.replace("${VERSION}", version)
    return entry


def check_winget(sources, dist, version):
    folder = dist / "winget" / "manifests" / "c" / "Corvalen" / "Quillgate" / version
    manifests = {}
    for file_name, kind in WINGET_FILES.items():
        text = (folder / file_name).read_text(encoding="utf-8")
        manifest = yaml.safe_load(text)
        for field in WINGET_REQUIRED[kind]:
            check(manifest.get(field) not in (None, ""), f"{file_name} lacks {field}")
        check(manifest.get("ManifestType") == kind, f"{file_name} is no {kind} manifest")
        manifest_version = str(manifest.get("ManifestVersion"))
        check(tuple(map(int, manifest_version.split("."))) >= (1, 6, 0),
              f"{file_name}: manifest version {manifest_version}")
        schema = (f"# yaml-language-server: $schema=https://aka.ms/winget-manifest."
                  f"{kind}.{manifest_version}.schema.json")
        check(text.splitlines()[0] == schema, f"{file_name} does not begin with {schema}")
        check(manifest.get("PackageIdentifier") == WINGET_ID, f"{file_name}: identifier")
        check(str(manifest.get("PackageVersion")) == version, f"{file_name}: version")
        manifests[kind] = manifest
    check(manifests["version"]["DefaultLocale"] == "en-US", "the default locale is not en-US")
    check(manifests["defaultLocale"]["PackageLocale"] == "en-US", "en-US file's locale")
    check(manifests["locale"]["PackageLocale"] == "ja-JP", "ja-JP file's locale")

    installer = manifests["installer"]
    expected = {"InstallerType": "nullsoft", "Scope": "machine",
                "ElevationRequirement": "elevationRequired", "UpgradeBehavior": "install"}
    setup_name, sha256 = setup_of(dist, version)
    for entry in installer["Installers"]:
        merged = {**installer, **entry}
        for field, value in expected.items():
            check(merged.get(field) == value, f"installer {field} is {merged.get(field)}")
        check(merged.get("Architecture") in ("x86", "x64", "arm", "arm64", "neutral"),
              "installer architecture")
        check(re.fullmatch(rf"https?://.+/{re.escape(setup_name)}", merged["InstallerUrl"]),
              f"installer URL {merged['InstallerUrl']} is not this Setup's")
        check(merged.get("InstallerSha256") == sha256, "installer SHA-256 is not this Setup's")
        check("Custom" not in (merged.get("InstallerSwitches") or {}), "a Custom switch")
        responses = {c["InstallerReturnCode"]: c["ReturnResponse"]
                     for c in merged.get("ExpectedReturnCodes") or []}
        check(set(responses.values()) <= RETURN_RESPONSES, f"unknown responses {responses}")
        for code, response in SETUP_CODES.items():
            check(code in responses and response in (None, responses[code]),
                  f"Setup's exit code {code} is answered with {responses.get(code)}")
        apps = apps_entry_of_setup(sources, version)
        check(merged.get("ProductCode") == apps["ProductCode"], "installer ProductCode")
        entries = merged.get("AppsAndFeaturesEntries") or []
        check(len(entries) == 1, "not one Apps entry")
        for apps_entry in entries:
            # The format leaves out a DisplayVersion equal to the package version.
            shown = {"DisplayVersion": version, **apps_entry}
            for field, value in apps.items():
                check(shown.get(field) == value, f"Apps entry {field}: {shown.get(field)}")


def check_chocolatey(sources, dist, version):
    folder = dist / "chocolatey" / "quillgate"
    nuspec = folder / "quillgate.nuspec"
    if well_formed_xml(nuspec):
        root = ET.parse(nuspec).getroot()
        space = root.tag[:root.tag.index("}") + 1]
        metadata = root.find(space + "metadata")
        for field in ("id", "version", "description", "authors"):
            check((metadata.findtext(space + field) or "").strip(), f"nuspec lacks {field}")
        check(metadata.findtext(space + "version") == version, "nuspec version")
        sources_of = [f.get("src") for f in root.iter(space + "file")]
        check("tools\\**" in sources_of, "the nuspec packs no tools folder")

    def arguments_of(script, helper):
        text = (folder / "tools" / script).read_text(encoding="utf-8")
        check(helper in text, f"{script} does not call {helper}")
        return {k: v.strip() for k, v in re.findall(r"^\s*(\w+)\s*=\s*(.+)$", text, re.M)}, text

    setup_name, sha256 = setup_of(dist, version)
    install, text = arguments_of("chocolateyInstall.ps1", "Install-ChocolateyPackage")
    check(install.get("fileType") == "'exe'", "install fileType")
    check(re.fullmatch(rf"'https?://.+/{re.escape(setup_name)}'", install.get("url", "")),
          "install url is not this Setup's")
    check(install.get("checksum", "").strip("'").upper() == sha256, "checksum is not Setup's")
    check(install.get("checksumType") == "'sha256'", "checksumType")
    check(install.get("validExitCodes") == "@(0, 3010)", "install validExitCodes")
    check(install.get("silentArgs") == "$silentArgs" and "$silentArgs = '/S'" in text,
          "Setup is not run with /S")
    for parameter in ("Editor", "PrintEditor"):
        check(f"'{parameter}'" in text, f"the package parameter /{parameter}: is not read")
    check("Get-PackageParameters" in text and "ToUpperInvariant()" in text
          and "' /{0}=\"{1}\"'" in text, "package parameters are not passed on as /NAME=\"path\"")
    uninstall, text = arguments_of("chocolateyUninstall.ps1", "Uninstall-ChocolateyPackage")
    check(uninstall.get("silentArgs", "").startswith('"/S'), "uninstall is not silent")
    check(uninstall.get("validExitCodes") == "@(0, 3010)", "uninstall validExitCodes")


CHECKS = {"Templates": check_templates, "Winget": check_winget, "Chocolatey": check_chocolatey}

if __name__ == "__main__":
    part, sources, version = sys.argv[1], Path(sys.argv[2]), sys.argv[3]
    try:
        CHECKS[part](sources, sources / "dist", version)
    except (OSError, KeyError, AttributeError, TypeError, yaml.YAMLError, zipfile.BadZipFile,
            ET.ParseError) as error:
        failures.append(f"{type(error).__name__}: {error}")
    for failure in failures:
        print("FAILED:", failure)
    print(f"{part}: {'ok' if not failures else f'{len(failures)} failed'}")
    sys.exit(1 if failures else 0)
