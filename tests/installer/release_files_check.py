#!/usr/bin/env python3
"""Checks what the release target wrote into dist/ beside its Setup: the
administrative templates, the winget manifests and the Chocolatey package. Each
parses, carries the fields its format's documentation requires, and names this
version and the Setup's SHA-256; each policy sets a value the program reads,
under the name and type it reads it with.
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

# The settings the program reads: subkey ("" the key itself) and value name,
# type, and the values it knows (None: any text).
SETTINGS = {
    ("Paths", "CommonEditor"): ("text", None),
    ("Paths", "PrinterEditor"): ("text", None),
    ("Paths", "WaitForEditor"): ("dword", {"0", "1", "2"}),
    ("Source", "ExtensionFlag"): ("dword", {"0", "1"}),
    ("Source", "Extension"): ("text", {"htm", "html", "shtml", "xml"}),
    ("", "UILanguage"): ("text", None),
}
PROGRAM_SOURCES = ["settings/settings.cpp", "settings/setting_sources.cpp"]
POLICY_KEY = "Software\\Policies\\Corvalen\\Quillgate"
GP = "{http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions}"
# Intune imports files of 1 MB at most and no combo box; a text element holds
# at most 1023 characters.
ADMX_MAX_BYTES, TEXT_MAX_LENGTH = 1024 * 1024, 1023
CONTROL_OF = {"text": "textBox", "enum": "dropdownList", "boolean": "checkBox",
              "decimal": "decimalTextBox"}

WINGET_ID = "Corvalen.Quillgate"
COMMON = ["PackageIdentifier", "PackageVersion", "ManifestType", "ManifestVersion"]
WINGET_FILES = {  # file, its type, the fields it requires besides COMMON
    f"{WINGET_ID}.yaml": ("version", ["DefaultLocale"]),
    f"{WINGET_ID}.installer.yaml": ("installer", ["Installers"]),
    f"{WINGET_ID}.locale.en-US.yaml": (
        "defaultLocale", ["PackageLocale", "Publisher", "PackageName", "License",
                          "ShortDescription"]),
    f"{WINGET_ID}.locale.ja-JP.yaml": ("locale", ["PackageLocale"]),
}
RETURN_RESPONSES = {
    "packageInUse", "packageInUseByApplication", "installInProgress", "fileInUse",
    "missingDependency", "diskFull", "insufficientMemory", "invalidParameter", "noNetwork",
    "contactSupport", "rebootRequiredToFinish", "rebootRequiredForInstall", "rebootInitiated",
    "cancelledByUser", "alreadyInstalled", "downgrade", "blockedByPolicy",
    "systemNotSupported", "custom"}
SETUP_CODES = {3010: "rebootRequiredToFinish", 2: None, 740: None}  # None: any response

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
    return condition


def parse_xml(path):
    result = subprocess.run(["xmllint", "--noout", str(path)], capture_output=True, text=True)
    check(result.returncode == 0, f"{path} is not well-formed: {result.stderr}")
    return ET.parse(path).getroot()


def string_id(reference):
    match = re.fullmatch(r"\$\((?:string|presentation)\.(\w+)\)", reference or "")
    return match.group(1) if match else None


def written_by(element):
    """The registry type an element writes, and the values it offers."""
    if element.tag != GP + "enum":
        return ("text" if element.tag == GP + "text" else element.tag), None
    values = [v for item in element.iter(GP + "item") for v in item.find(GP + "value")]
    types = {"dword" if v.tag == GP + "decimal" else "text" for v in values}
    return (types.pop() if len(types) == 1 else "mixed"), {v.get("value") or v.text
                                                         for v in values}


def check_sets(policy, key, name, written, offered):
    setting = (key[len(POLICY_KEY):].lstrip("\\"), name)
    where = f"policy {policy}: {setting[0]}\\{name}"
    if check(setting in SETTINGS, f"{where} is no value the program reads"):
        kind, known = SETTINGS[setting]
        check(written == kind, f"{where} is written as {written}, read as {kind}")
        check(not known or not offered or offered <= known, f"{where} offers {offered}")
    return setting


def check_templates(sources, dist, version):
    program = "".join((sources / f).read_text(encoding="utf-8") for f in PROGRAM_SOURCES)
    for subkey, value in SETTINGS:
        check(f'"{value}"' in program and f'"{subkey}"' in program + '""',
              f"the program does not read {subkey}\\{value}")
    folder = sources / "installer" / "policies"
    admx = parse_xml(folder / "quillgate.admx")
    check((folder / "quillgate.admx").stat().st_size <= ADMX_MAX_BYTES, "the ADMX is over 1 MB")
    spaces = admx.find(GP + "policyNamespaces")
    check(len(spaces.findall(GP + "target")) == 1, "the ADMX has no namespace of its own")
    check(spaces.find(GP + "using") is None, "the ADMX needs another template")
    supported = {d.get("name") for d in admx.iter(GP + "definition")}
    categories = admx.findall(f"{GP}categories/{GP}category")
    check([c.get("name") for c in categories] == ["Quillgate"], "the category is not Quillgate")
    named = [*categories, *admx.iter(GP + "definition")]
    strings = {string_id(e.get("displayName")) for e in named}
    presentations, covered = {}, set()
    for policy in admx.iter(GP + "policy"):
        name, key = policy.get("name"), policy.get("key")
        check(policy.get("class") in ("Machine", "User", "Both"), f"{name}: no class")
        check(key.startswith(POLICY_KEY), f"{name}: key {key} is no policy key of Quillgate")
        check(policy.find(GP + "parentCategory").get("ref") == "Quillgate", f"{name}: category")
        check(policy.find(GP + "supportedOn").get("ref") in supported, f"{name}: supportedOn")
        strings |= {string_id(policy.get("displayName")), string_id(policy.get("explainText"))}
        if policy.get("valueName"):
            on, off = (policy.find(f"{GP}{state}/{GP}decimal")
                       for state in ("enabledValue", "disabledValue"))
            dword = on is not None and off is not None
            offered = {on.get("value"), off.get("value")} if dword else None
            covered.add(check_sets(name, key, policy.get("valueName"),
                                   "dword" if dword else "other", offered))
        elements = [e for found in policy.iter(GP + "elements") for e in found]
        for element in elements:
            covered.add(check_sets(name, element.get("key", key), element.get("valueName"),
                                   *written_by(element)))
            if element.tag == GP + "text":
                check(int(element.get("maxLength", 1e9)) <= TEXT_MAX_LENGTH, f"{name}: too long")
            strings |= {string_id(item.get("displayName")) for item in element.iter(GP + "item")}
        if elements:
            presentations[string_id(policy.get("presentation"))] = {
                e.get("id"): CONTROL_OF.get(e.tag[len(GP):]) for e in elements}
    check(set(SETTINGS) <= covered, f"no policy sets {set(SETTINGS) - covered}")

    for lang in ("en-US", "ja-JP"):
        adml = parse_xml(folder / lang / "quillgate.adml")
        defined = {s.get("id") for s in adml.iter(GP + "string")}
        check(strings <= defined, f"{lang} lacks the strings {strings - defined}")
        check(not list(adml.iter(GP + "comboBox")), f"{lang} has a combo box")
        shown = {p.get("id"): {c.get("refId"): c.tag[len(GP):] for c in p}
                 for p in adml.iter(GP + "presentation")}
        for presentation, controls in presentations.items():
            check(shown.get(presentation) == controls,
                  f"{lang}: {presentation} shows {shown.get(presentation)}, not {controls}")

    with zipfile.ZipFile(dist / f"quillgate-{version}.zip") as release:
        for template in ["quillgate.admx", "en-US/quillgate.adml", "ja-JP/quillgate.adml"]:
            check(release.read(f"policies/{template}") == (folder / template).read_bytes(),
                  f"the zip's {template} is not the template")


def setup_of(dist, version):
    setup = dist / f"quillgate-{version}-setup.exe"
    return re.escape(setup.name), hashlib.sha256(setup.read_bytes()).hexdigest().upper()


def apps_entry_of_setup(sources, version):
    """What Setup writes into its Apps entry, read from its script."""
    script = (sources / "installer" / "quillgate.nsi").read_text(encoding="utf-8")
    entry = {"ProductCode": re.search(r'!define UNINSTALL_KEY "[^"]*\\([^"\\]+)"', script)[1]}
    for value in ("DisplayName", "Publisher", "DisplayVersion"):
        written = re.search(rf'WriteRegStr HKLM "\${{UNINSTALL_KEY}}" "{value}" "([^"]*)"', script)
        entry[value] = written[1].replace("${VERSION}", version)
    return entry


def check_winget(sources, dist, version):
    folder = dist / "winget" / "manifests" / "c" / "Corvalen" / "Quillgate" / version
    manifests = {}
    for file_name, (kind, required) in WINGET_FILES.items():
        text = (folder / file_name).read_text(encoding="utf-8")
        manifest = manifests[kind] = yaml.safe_load(text)
        for field in COMMON + required:
            check(manifest.get(field) not in (None, ""), f"{file_name} lacks {field}")
        check(manifest["ManifestType"] == kind, f"{file_name} is no {kind} manifest")
        schema_version = str(manifest["ManifestVersion"])
        check(tuple(map(int, schema_version.split("."))) >= (1, 6, 0), f"{file_name}: 1.6.0")
        schema = (f"# yaml-language-server: $schema=https://aka.ms/winget-manifest."
                  f"{kind}.{schema_version}.schema.json")
        check(text.splitlines()[0] == schema, f"{file_name} does not begin with {schema}")
        check(manifest["PackageIdentifier"] == WINGET_ID, f"{file_name}: identifier")
        check(str(manifest["PackageVersion"]) == version, f"{file_name}: version")
    check(manifests["version"]["DefaultLocale"] == "en-US", "the default locale is not en-US")
    check(manifests["defaultLocale"]["PackageLocale"] == "en-US", "the en-US file's locale")
    check(manifests["locale"]["PackageLocale"] == "ja-JP", "the ja-JP file's locale")

    installer = manifests["installer"]
    setup_name, sha256 = setup_of(dist, version)
    apps = apps_entry_of_setup(sources, version)
    for entry in installer["Installers"]:
        merged = {**installer, **entry}  # an installer inherits the root's fields
        for field, value in {"InstallerType": "nullsoft", "Scope": "machine", "UpgradeBehavior":
                             "install", "ElevationRequirement": "elevationRequired"}.items():
            check(merged.get(field) == value, f"installer {field} is {merged.get(field)}")
        check(merged["Architecture"] in ("x86", "x64", "arm", "arm64", "neutral"), "architecture")
        check(re.fullmatch(rf"https?://.+/{setup_name}", merged["InstallerUrl"]), "installer URL")
        check(merged["InstallerSha256"] == sha256, "the installer's SHA-256 is not this Setup's")
        check("Custom" not in (merged.get("InstallerSwitches") or {}), "a Custom switch")
        responses = {c["InstallerReturnCode"]: c["ReturnResponse"]
                     for c in merged.get("ExpectedReturnCodes") or []}
        check(set(responses.values()) <= RETURN_RESPONSES, f"unknown responses in {responses}")
        for code, response in SETUP_CODES.items():
            check(code in responses and response in (None, responses[code]),
                  f"Setup's exit code {code} is answered with {responses.get(code)}")
        check(merged.get("ProductCode") == apps["ProductCode"], "the installer's ProductCode")
        entries = merged.get("AppsAndFeaturesEntries") or []
        check(len(entries) == 1, "not one Apps entry")
        for shown in entries:
            # The format leaves out a DisplayVersion that is the package version.
            shown = {"DisplayVersion": version, **shown}
            for field, value in apps.items():
                check(shown.get(field) == value, f"the Apps entry's {field}: {shown.get(field)}")


def check_chocolatey(sources, dist, version):
    folder = dist / "chocolatey" / "quillgate"
    nuspec = parse_xml(folder / "quillgate.nuspec")
    space = nuspec.tag[:nuspec.tag.index("}") + 1]
    metadata = nuspec.find(space + "metadata")
    for field in ("id", "version", "description", "authors"):
        check((metadata.findtext(space + field) or "").strip(), f"the nuspec lacks {field}")
    check(metadata.findtext(space + "version") == version, "the nuspec's version")
    check("tools\\**" in [f.get("src") for f in nuspec.iter(space + "file")], "no tools folder")

    def arguments_of(script, helper):
        text = (folder / "tools" / script).read_text(encoding="utf-8")
        check(helper in text, f"{script} does not call {helper}")
        return {k: v.strip() for k, v in re.findall(r"^\s*(\w+)\s*=\s*(.+)$", text, re.M)}, text

    setup_name, sha256 = setup_of(dist, version)
    install, text = arguments_of("chocolateyInstall.ps1", "Install-ChocolateyPackage")
    check(install.get("fileType") == "'exe'", "the install's fileType")
    check(re.fullmatch(rf"'https?://.+/{setup_name}'", install.get("url", "")), "the install's url")
    check(install.get("checksum", "").strip("'").upper() == sha256, "the checksum is not Setup's")
    check(install.get("checksumType") == "'sha256'", "the checksumType")
    check(install.get("validExitCodes") == "@(0, 3010)", "the install's validExitCodes")
    check("$silentArgs = '/S'" in text, "Setup is not run with /S")
    uninstall, text = arguments_of("chocolateyUninstall.ps1", "Uninstall-ChocolateyPackage")
    check(uninstall.get("silentArgs", "").startswith('"/S'), "the uninstall is not silent")
    check(uninstall.get("validExitCodes") == "@(0, 3010)", "the uninstall's validExitCodes")


CHECKS = {"Templates": check_templates, "Winget": check_winget, "Chocolatey": check_chocolatey}

if __name__ == "__main__":
    part, sources, version = sys.argv[1], Path(sys.argv[2]), sys.argv[3]
    try:
        CHECKS[part](sources, sources / "dist", version)
    except (OSError, LookupError, AttributeError, TypeError, ValueError, yaml.YAMLError,
            zipfile.BadZipFile, ET.ParseError) as error:
        failures.append(f"{type(error).__name__}: {error}")
    for failure in failures:
        print("FAILED:", failure)
    print(f"{part}: {len(failures)} failed" if failures else f"{part}: ok")
    sys.exit(1 if failures else 0)
