#!/usr/bin/env python3
"""Plants one small fault at a time in the code that parses or decides, rebuilds only the test
program that covers it, runs that program and reports every fault it let through.

    tests/mutate/mutate.py [--build DIR] [--only SUBSTRING] [--list] [--check]

It works in a build folder of its own (build-mutate), unoptimised and without debug information,
so that each mutant costs one quick compile and a link, and the everyday build is left alone.

Each mutant replaces one exact piece of text (unique in its file unless an occurrence is given).
The source is restored after each mutant, also when the run is interrupted. A mutant the compiler
refuses is reported as such and counts neither way.
"""
import argparse
import os
import shutil
import signal
import subprocess
import sys
import time
from dataclasses import dataclass
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]


def source(name):
    """The path of the one source file with this name below src/ (the Windows backend, never built
    here, left out)."""
    found = sorted(p.relative_to(ROOT).as_posix() for p in (ROOT / "src").rglob(name)
                   if "platform/win32" not in p.as_posix())
    if len(found) != 1:
        raise SystemExit(f"mutate.py: {len(found)} files named {name} below src/")
    return found[0]


@dataclass
class Stage:
    targets: list      # what to rebuild
    program: str       # the test program to run
    gtest_filter: str  # the tests that cover the file
    timeout: int = 300 # seconds; a mutant that makes the program hang counts as caught


# Each file's stages run in order until one catches the mutant: the quick unit tests first, the
# slower end-to-end tests only for what got through.
PLATFORM_UNITS = Stage(["test_platform"], "test_platform", "*", timeout=60)
VERSION = [PLATFORM_UNITS, Stage(["test_version", "tallyrune-updatectl"], "test_version", "*")]
WILDCARD = [Stage(["test_platform"], "test_platform", "Wildcard*", timeout=60)]
CASE_FOLD = [Stage(["test_platform"], "test_platform", "CaseFold*", timeout=60),
             Stage(["test_settings"], "test_settings", "Registry*:Profile*:StoreOn*")]
REGISTRY = [Stage(["test_settings"], "test_settings", "Registry*:StoreOnRegistry*:IniCtrlRegistry*")]
REG_COMMAND = [Stage(["tallyrune-updatectl"], "test_settings", "RegCommand*:RegValues*")]
PROFILE = [Stage(["test_settings"], "test_settings", "Profile*:StoreOnIni*:IniCtrl*")]
# The quick copy tests first; the killed-run test, the command line and the windows after them.
COPY_PLANNER = [Stage(["test_copyengine"], "test_copyengine",
                      "CopyPlanning*:CopyEdges*:CopySemantics*:CopyUnchanged*:CopyFaults*"
                      "-CopyFaults.CopyKilledHalfwayNeverTearsAFile:CopyFaults.CommandLine*"),
                Stage(["test_copyengine", "tallyrune-updatectl"], "test_copyengine", "*"),
                Stage(["test_shell"], "test_shell", "CopyJob*:PairDestination*")]

KEPT_COPY = [Stage(["test_copyengine"], "test_copyengine", "KeptCopy*"),
             Stage(["test_cli", "tallyrune-updatectl"], "test_cli", "UpdateCommand*"),
             Stage(["test_app"], "test_app", "UpdateFromWindow*")]

GROUPS = {
    source("pe_image.cpp"): VERSION,
    source("elf_image.cpp"): VERSION,
    source("version_block.cpp"): VERSION,
    source("case_fold.h"): VERSION,
    source("case_fold.cpp"): CASE_FOLD,
    source("wildcard.cpp"): WILDCARD,
    source("registry.cpp"): REGISTRY,
    source("ini_document.cpp"): PROFILE,
    source("profile_calls.cpp"): PROFILE,
    "src/cli/reg/RegArguments.cpp": REG_COMMAND,
    "src/cli/reg/RegValueText.cpp": REG_COMMAND,
    "src/cli/reg/RegConsole.cpp": REG_COMMAND,
    "src/cli/reg/RegQuery.cpp": REG_COMMAND,
    "src/cli/reg/RegAdd.cpp": REG_COMMAND,
    "src/cli/reg/RegDelete.cpp": REG_COMMAND,
    source("copy_planner.cpp"): COPY_PLANNER,
    source("keep_journal.cpp"): KEPT_COPY,
    source("keep_undo.cpp"): KEPT_COPY,
    source("keep_folder.cpp"): KEPT_COPY,
    source("kept_changes.cpp"): KEPT_COPY,
    source("kept_copy_calls.cpp"): KEPT_COPY,
}


@dataclass
class Mutant:
    file: str
    find: str
    replace: str
    occurrence: int = 0     # which one, when the text occurs more than once
    equivalent: str = ""    # why it cannot change what a caller sees; kept out of the rate


def M(file, find, replace, occurrence=0, equivalent=""):
    return Mutant(file if "/" in file else source(file), find, replace, occurrence, equivalent)


MUTANTS = [
    # PE walk
    M("src/platform/version/pe_image.cpp", "rva >= s.virtualAddress &&", "rva > s.virtualAddress &&"),
    M("src/platform/version/pe_image.cpp", "rva - s.virtualAddress < s.rawSize", "rva - s.virtualAddress <= s.rawSize"),
    M("src/platform/version/pe_image.cpp", "std::uint64_t{s.rawSize} - into", "std::uint64_t{s.rawSize} - into + 1"),
    M("src/platform/version/pe_image.cpp", "mz[1] == 'Z'", "mz[1] != 'Z'"),
    M("src/platform/version/pe_image.cpp", "if (dos[0] != 'M' || dos[1] != 'Z')", "if (dos[0] != 'M')"),
    M("src/platform/version/pe_image.cpp", ".numberOfRvaAndSizes = 108,", ".numberOfRvaAndSizes = 104,"),
    M("src/platform/version/pe_image.cpp", ".dataDirectories = 96}", ".dataDirectories = 88}"),
    M("src/platform/version/pe_image.cpp", "load32(opt + layout.numberOfRvaAndSizes) <= kResourceDirectoryIndex",
      "load32(opt + layout.numberOfRvaAndSizes) < kResourceDirectoryIndex"),
    M("src/platform/version/pe_image.cpp", "nt.optionalSize < resourceEnd ||", "nt.optionalSize <= resourceEnd ||"),
    M("src/platform/version/pe_image.cpp", "kOptionalHeaderAt + resourceEnd > nt.length", "kOptionalHeaderAt + resourceEnd >= nt.length"),
    M("src/platform/version/pe_image.cpp", "rva == 0 || load32(opt + resourceAt + kDataDirectorySizeField) == 0", "rva == 0"),
    M("src/platform/version/pe_image.cpp", "tableAt = peAt + kOptionalHeaderAt + nt.optionalSize;",
      "tableAt = peAt + kOptionalHeaderAt + 224;"),
    M("src/platform/version/pe_image.cpp", "std::size_t seenCount_ = 1;", "std::size_t seenCount_ = 0;"),
    M("src/platform/version/pe_image.cpp", "if (!(e.target & kSubdirectoryBit))", "if (e.target & kSubdirectoryBit)"),
    M("src/platform/version/pe_image.cpp", "return x.name == RT_VERSION_ID;", "return x.name != RT_VERSION_ID;"),
    M("src/platform/version/pe_image.cpp", "tree.scan(typeDir, firstEntry, found, entry)",
      "tree.scan(typeDir, [](std::uint32_t i, const ResourceTree::Entry&) { return i == 1; }, found, entry)"),
    M("src/platform/version/pe_image.cpp", "    if (entry.target & kSubdirectoryBit)\n        return ERROR_BAD_FORMAT;\n", "",
      equivalent="a target with the directory bit is an offset of 2 GiB or more, which the bounds check of the "
                 "next read refuses in any section smaller than that"),
    M("src/platform/version/pe_image.cpp", "    if (dataSize == 0)\n        return ERROR_RESOURCE_DATA_NOT_FOUND;\n", ""),
    M("src/platform/version/pe_image.cpp", "dataSize > where.available ||", "dataSize >= where.available ||"),
    M("src/platform/version/pe_image.cpp", "dataSize > source.size() - where.offset", "dataSize >= source.size() - where.offset"),
    M("src/platform/version/pe_image.cpp", "entries + std::uint64_t{count} * kResourceEntrySize > base_.available",
      "entries + std::uint64_t{count} * kResourceEntrySize > base_.available + 8"),
    M("src/platform/version/pe_image.cpp", "base.available = std::min(base.available, source.size() - base.offset);", ""),
    # ELF walk
    M("src/platform/version/elf_image.cpp", "eh[kEiData] != kElfData2Lsb", "eh[kEiData] == 0"),
    M("src/platform/version/elf_image.cpp", "if (!is64 && eh[kEiClass] != kElfClass32)", "if (!is64 && eh[kEiClass] == 0)"),
    M("src/platform/version/elf_image.cpp", ".shOffset = 16,", ".shOffset = 12,"),
    M("src/platform/version/elf_image.cpp", ".shnum = 0x30,", ".shnum = 0x2E,"),
    M("src/platform/version/elf_image.cpp", "table.entrySize < l.sectionHeaderSize ||", "table.entrySize <= l.sectionHeaderSize ||"),
    M("src/platform/version/elf_image.cpp", "if (table.count == 0)\n            table.count = first.size;",
      "if (table.count == 1)\n            table.count = first.size;"),
    M("src/platform/version/elf_image.cpp", "table.nameIndex = first.link;", "table.nameIndex = 0;"),
    M("src/platform/version/elf_image.cpp", "if (table.count == 0 || table.nameIndex == SHN_XINDEX_VALUE)", "if (table.count == 0)"),
    M("src/platform/version/elf_image.cpp", "if (table.count > (source.size() - table.offset) / table.entrySize)",
      "if (table.count >= (source.size() - table.offset) / table.entrySize)"),
    M("src/platform/version/elf_image.cpp", "if (table.nameIndex >= table.count)", "if (table.nameIndex > table.count)"),
    M("src/platform/version/elf_image.cpp", "names.type == SHT_NOBITS_TYPE ||", ""),
    M("src/platform/version/elf_image.cpp", "nameTable.size() - s.name < wantedLength", "nameTable.size() - s.name <= wantedLength"),
    M("src/platform/version/elf_image.cpp", "elfVersionSection, wantedLength) != 0", "elfVersionSection, wantedLength - 1) != 0"),
    M("src/platform/version/elf_image.cpp", "if (s.type == SHT_NOBITS_TYPE || s.size == 0)", "if (s.type == SHT_NOBITS_TYPE)"),
    M("src/platform/version/elf_image.cpp", "if (s.type == SHT_NOBITS_TYPE || s.size == 0)", "if (s.size == 0)"),
    M("src/platform/version/elf_image.cpp", "s.size > source.size() - s.offset ||", "s.size > source.size() - s.offset + 1 ||"),
    M("src/platform/version/elf_image.cpp", "first += chunkEntries", "first += chunkEntries + 1"),
    # The version block
    M("src/platform/version/version_block.cpp", "while (k + 2 <= n.end && load16(b + k) != 0)", "while (k + 2 < n.end && load16(b + k) != 0)"),
    M("src/platform/version/version_block.cpp", "n.type == 1 ? std::size_t{n.valueLength} * 2 : n.valueLength",
      "n.type == 0 ? std::size_t{n.valueLength} * 2 : n.valueLength"),
    M("src/platform/version/version_block.cpp", "n.valueStart = std::min(align4(k + 2), n.end);", "n.valueStart = std::min(k + 2, n.end);"),
    M("src/platform/version/version_block.cpp", "n.end = std::min(limit, offset + length);", "n.end = offset + length;"),
    M("src/platform/version/version_block.cpp", "if (n.keyUnits != key.size())", "if (n.keyUnits < key.size())"),
    M("src/platform/version/version_block.cpp", "c >= 0xC2 && c < 0xE0 && cont(1)", "c >= 0xC0 && c < 0xE0 && cont(1)"),
    M("src/platform/version/version_block.cpp", "if (cp < 0x800 || (cp >= 0xD800 && cp < 0xE000))", "if (cp >= 0xD800 && cp < 0xE000)"),
    M("src/platform/version/version_block.cpp", "out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));",
      "out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x1FF)));"),
    M("src/platform/version/version_block.cpp", "if (c >= 0xD800 && c < 0xDC00 && i + 1 < count)", "if (c >= 0xD800 && c < 0xDC00 && i < count)"),
    M("src/platform/version/version_block.cpp", "if (low >= 0xDC00 && low < 0xE000)", "if (low >= 0xDC00 && low <= 0xE000)"),
    M("src/platform/version/version_block.cpp", "} else if (c < 0x800) {", "} else if (c <= 0x800) {"),
    M("src/platform/version/version_block.cpp", "} else if (c < 0x10000) {", "} else if (c <= 0x10000) {"),
    M("src/platform/version/version_block.cpp", "if (c < 0x80) {\n            out[o++]", "if (c <= 0x80) {\n            out[o++]"),
    M("src/platform/version/version_block.cpp", "return align4(rootLength) + valueStart / 2 * 3;", "return rootLength + valueStart / 2 * 3;",
      equivalent="the copies move two bytes down into the zero padding after the resource, for the filler and "
                 "the lookup alike, and still fit the block"),
    M("src/platform/version/version_block.cpp", "return std::min(claimed, resource.size());", "return claimed;"),
    M("src/platform/version/version_block.cpp", "if (depth == 0)\n            underStrings", "if (depth == 1)\n            underStrings"),
    M("src/platform/version/version_block.cpp", "if (underStrings && depth == 3) {", "if (underStrings && depth >= 2) {"),
    M("src/platform/version/version_block.cpp", "*length = static_cast<UINT>(std::strlen(text) + 1);", "*length = static_cast<UINT>(std::strlen(text));"),
    M("src/platform/version/version_block.cpp", "node.type == 1 ? node.valueBytes / 2 : node.valueBytes", "node.valueBytes"),
    M("src/platform/version/version_block.cpp", "(value.end - value.valueStart) / 2,", "(value.end - value.valueStart) / 2 + 1,"),
    # The one fold of names
    M("case_fold.h", "(c >= u'a' && c <= u'z')", "(c >= u'a' && c < u'z')"),
    M("case_fold.h", "(c >= u'a' && c <= u'z')", "(c > u'a' && c <= u'z')"),
    M("case_fold.h", "(c >= 0xE0 && c <= 0xFE && c != 0xF7)", "(c >= 0xE0 && c < 0xFE && c != 0xF7)"),
    M("case_fold.h", "(c >= 0xE0 && c <= 0xFE && c != 0xF7)", "(c > 0xE0 && c <= 0xFE && c != 0xF7)"),
    M("case_fold.h", "(c >= 0xE0 && c <= 0xFE && c != 0xF7)", "(c >= 0xE0 && c <= 0xFE)"),
    M("case_fold.h", "return (c >= 'a' && c <= 'z') ?", "return (c >= 'a' && c < 'z') ?"),
    M("case_fold.h", "return (c >= 'a' && c <= 'z') ?", "return (c > 'a' && c <= 'z') ?"),
    M("case_fold.cpp", "if (back.size() == static_cast<qsizetype>(name.size()) &&",
      "if (true || back.size() == static_cast<qsizetype>(name.size()) &&"),
    M("case_fold.cpp", "cp = QChar::toUpper(static_cast<char32_t>(cp));", "cp = static_cast<char32_t>(cp);"),
    # The wildcard matcher
    M("src/platform/fileop/phases/wildcard.cpp", "if (ni < n.size() && n[ni] != '.') {", "if (ni < n.size()) {"),
    M("src/platform/fileop/phases/wildcard.cpp", "if (ni == n.size() || n[ni] == '.') {", "if (ni == n.size()) {"),
    M("src/platform/fileop/phases/wildcard.cpp", "if (starP != std::string_view::npos && starN < n.size())",
      "if (starP != std::string_view::npos && starN <= n.size())"),
    M("src/platform/fileop/phases/wildcard.cpp", "ni = ++starN;", "ni = starN + 2;"),
    M("src/platform/fileop/phases/wildcard.cpp", "if (pattern == \"*.*\" || pattern == \"*\")", "if (pattern == \"*.*\")",
      equivalent="a lone star is a shortcut only: the glob matches every name with it as well"),
    M("src/platform/fileop/phases/wildcard.cpp", "pattern.substr(pattern.size() - 2) == \".*\" &&", "pattern.substr(pattern.size() - 2) != \".*\" &&"),
    M("src/platform/fileop/phases/wildcard.cpp", "pattern[pattern.size() - 2] != '.'", "true"),
    M("src/platform/fileop/phases/wildcard.cpp", "return name.find('.') == std::string_view::npos && glob", "return glob"),
    M("src/platform/fileop/phases/wildcard.cpp", "} else if (ni < n.size() && upperCaseAscii(pc) == upperCaseAscii(n[ni])) {",
      "} else if (ni < n.size() && pc == n[ni]) {"),
    # Registry value conversions
    M("registry.cpp", "if (*dataSize < needed) {", "if (*dataSize <= needed) {"),
    M("registry.cpp", "if (part.size() > maxKeyNameLength)", "if (part.size() >= maxKeyNameLength)"),
    M("registry.cpp", "if (name.size() > maxValueNameLength)", "if (name.size() >= maxValueNameLength)"),
    M("registry.cpp", "if (info.name.size() + 1 > *nameSize)", "if (info.name.size() > *nameSize)"),
    M("registry.cpp", "if (name.size() + 1 > *valueNameSize)", "if (name.size() > *valueNameSize)"),
    # The INI reader and writer
    M("src/platform/profile/profile_calls.cpp", "if (stripQuotes && value.size() >= 2 &&", "if (stripQuotes && value.size() > 2 &&"),
    M("src/platform/profile/profile_calls.cpp", "value.back() == value.front())", "value.back() != '\\0')"),
    M("src/platform/profile/profile_calls.cpp", "if (used + name.size() + 1 > size - 1) {", "if (used + name.size() + 1 >= size - 1) {"),
    M("src/platform/profile/ini_document.cpp", "while (e > b && isBlank(s[e - 1]))", "while (e > b + 1 && isBlank(s[e - 1]))",
      equivalent="the loop before it leaves a character that is no blank at b, so e never stops on one at b"),
    M("src/platform/profile/ini_document.cpp", "    while (e > b && isBlank(s[e - 1]))\n        --e;\n", ""),
    M("src/platform/profile/ini_document.cpp", "|| c == '\\f' || c == 0x1a;", "|| c == '\\f';"),
    # The reg command
    M("src/cli/reg/RegArguments.cpp", "text.size() >= 2 && text[0] == '\\\\' && text[1] == '\\\\'", "false",
      equivalent="a name that starts with two backslashes has an empty root name, which no root matches"),
    M("src/cli/reg/RegArguments.cpp", "key.path.find(\"\\\\\\\\\") != std::string::npos ||", ""),
    M("src/cli/reg/RegValueText.cpp", "(t.type < 8 || t.type > 10)", "(t.type < 8 || t.type >= 10)",
      equivalent="the encoder has no data for these types and refuses them with the same message and status"),
    M("src/cli/reg/RegValueText.cpp", "t.type != REG_LINK && ", "",
      equivalent="the encoder has no data for these types and refuses them with the same message and status"),
    M("src/cli/reg/RegValueText.cpp", ": (b[3] | b[2] << 8 | b[1] << 16 | std::uint32_t(b[0]) << 24);",
      ": (b[0] | b[1] << 8 | b[2] << 16 | std::uint32_t(b[3]) << 24);"),
    M("src/cli/reg/RegValueText.cpp", "bytes[type == REG_DWORD ? i : 3 - i]", "bytes[i]"),
    M("src/cli/reg/RegValueText.cpp", "for (std::size_t i = std::min<std::size_t>(bytes.size(), 8); i > 0; --i)",
      "for (std::size_t i = std::min<std::size_t>(bytes.size(), 4); i > 0; --i)"),
    M("src/cli/reg/RegValueText.cpp", "v > limit)", "v >= limit)"),
    M("src/cli/reg/RegValueText.cpp", "parseNumber(data, 0xFFFFFFFFull, v)", "parseNumber(data, 0xFFFFFFFFFull, v)"),
    M("src/cli/reg/RegValueText.cpp", "const bool hex = text.size() > 2 &&", "const bool hex = text.size() >= 2 &&",
      equivalent="a bare \"0x\" is refused either way: as hex it has no digit, as decimal it stops at the x"),
    M("src/cli/reg/RegValueText.cpp", "text[0] == '-' || text[0] == '+' || ", ""),
    M("src/cli/reg/RegValueText.cpp", "data.size() % 2 ? \"0\" + data : data", "data.size() % 2 ? data + \"0\" : data"),
    M("src/cli/reg/RegValueText.cpp", "if (items[i].empty() && i + 1 < items.size()) {", "if (items[i].empty()) {"),
    M("src/cli/reg/RegValueText.cpp", "if (!separatorGiven)\n            ++i;", ""),
    M("src/cli/reg/RegArguments.cpp", "hasArgument && args[i + 1].size() == 1)", "hasArgument)"),
    M("src/cli/reg/RegAdd.cpp", "if (!data && (type == REG_DWORD || type == REG_DWORD_BIG_ENDIAN || type == REG_QWORD))",
      "if (!data && (type == REG_DWORD || type == REG_QWORD))"),
    M("src/cli/reg/RegConsole.cpp", "if (*p == 'n' || *p == 'N')\n            return false;", ""),
    M("src/cli/reg/RegDelete.cpp", "if (key.path.empty())\n        return failure(\"ERROR: Access is denied.\");", ""),
    M("src/cli/reg/RegQuery.cpp", "if (rc == ERROR_FILE_NOT_FOUND && emptyValue) {", "if (rc == ERROR_FILE_NOT_FOUND) {"),
    M("src/cli/reg/RegQuery.cpp", "if (!values.empty() || nested)\n        out(name + \"\\n\");", "out(name + \"\\n\");"),
    M("src/cli/reg/RegArguments.cpp", "if (key.path.empty())\n        return usageError(\"add\", \"ERROR: Invalid key name.\");", ""),
    # The copy engine's planning: what the sources stand for, where each copy goes, what is refused
    M("src/platform/fileop/phases/copy_planner.cpp", "isDots(e->d_name) || isStagingName(e->d_name) || !matchesWildcard",
      "isDots(e->d_name) || !matchesWildcard"),
    M("src/platform/fileop/phases/copy_planner.cpp", "if (!isDots(e->d_name) && !isStagingName(e->d_name))\n            names.emplace_back",
      "if (!isDots(e->d_name))\n            names.emplace_back"),
    M("src/platform/fileop/phases/copy_planner.cpp", "if (last.empty() || last == \".\" || last == \"..\") {", "if (last.empty() || last == \".\") {"),
    M("src/platform/fileop/phases/copy_planner.cpp", "if (!fd && (errno != ENOENT || parent == at))", "if (!fd)"),
    M("src/platform/fileop/phases/copy_planner.cpp", "        if (!S_ISDIR(st.st_mode))\n            return failPlacing(top, path, ERROR_ALREADY_EXISTS, kFileInTheWay), kNoFolder;\n", ""),
    M("src/platform/fileop/phases/copy_planner.cpp", "        folder.exists = true;", "        folder.exists = false;"),
    M("src/platform/fileop/phases/copy_planner.cpp", "l.names.emplace(upperCaseName(e->d_name), e->d_name);", "l.names.emplace(e->d_name, e->d_name);"),
    M("src/platform/fileop/phases/copy_planner.cpp", "return attempt == 1 ? \"Copy of \"", "return attempt == 2 ? \"Copy of \""),
    M("src/platform/fileop/phases/copy_planner.cpp", "std::string key = upperCaseName(chosen);", "std::string key = chosen;"),
    M("src/platform/fileop/phases/copy_planner.cpp", "if (!l.names.count(key) && !l.claimed.count(key))", "if (!l.names.count(key))"),
    M("src/platform/fileop/phases/copy_planner.cpp", "targetName.size() > NAME_MAX ||", "targetName.size() >= NAME_MAX ||"),
    M("src/platform/fileop/phases/copy_planner.cpp", "destPath.size() >= PATH_MAX)", "destPath.size() > PATH_MAX)"),
    M("src/platform/fileop/phases/copy_planner.cpp", "std::string key = upperCaseName(targetName);", "std::string key = targetName;"),
    M("src/platform/fileop/phases/copy_planner.cpp", "key = upperCaseName(name);\n            renamed = true;", "key = name;\n            renamed = true;"),
    M("src/platform/fileop/phases/copy_planner.cpp", "const bool sameFile = exists && target.st_dev == node.dev",
      "const bool sameFile = false && target.st_dev == node.dev"),
    M("src/platform/fileop/phases/copy_planner.cpp", "if (sameFile && !(job_.keeping() && S_ISREG(node.mode)))",
      "if (sameFile)"),
    M("src/platform/fileop/phases/copy_planner.cpp", "if (S_ISLNK(target.st_mode) && ::stat(", "if (false && ::stat("),
    M("src/platform/fileop/phases/copy_planner.cpp", "                plan_->items[top.value].incomplete = true;\n                reporter_.advance",
      "                reporter_.advance"),
    M("src/platform/fileop/phases/copy_planner.cpp", "if (::stat(sub.path.c_str(), &through) != 0 || !S_ISDIR(through.st_mode))",
      "if (::stat(sub.path.c_str(), &through) != 0)"),
    M("src/platform/fileop/phases/copy_planner.cpp", "(st.st_uid != 0 && st.st_uid != holder.st_uid)", "(st.st_uid != 0)"),
    M("src/platform/fileop/phases/copy_planner.cpp", "(st.st_uid != 0 && st.st_uid != holder.st_uid)", "(st.st_uid != holder.st_uid)"),
    M("src/platform/fileop/phases/copy_planner.cpp", "        sub.exists = true;", "        sub.exists = false;"),
    M("src/platform/fileop/phases/copy_planner.cpp", "if (!isDots(e->d_name) && upperCaseName(e->d_name) == key)",
      "if (!isDots(e->d_name) && e->d_name == name)"),
    # The kept copy: what it records, how it takes things back, which folders it trusts
    M("keep_journal.cpp", "if (step == \".\" || step == \"..\")", "if (step == \".\")"),
    M("keep_journal.cpp", "if (plainName(e.kept))", "if (!e.kept.empty())"),
    M("keep_undo.cpp", "isStagingName(e->d_name) && stagingOwner(e->d_name) == pid", "isStagingName(e->d_name)",
      equivalent="a temporary file of another live copy into the same folder is never there in a test: "
                 "the lock allows one update per folder"),
    M("keep_undo.cpp", "            ::futimens(dir.get(), it->before.times);\n", ""),
    M("keep_undo.cpp", "        if (it->created)\n            ::rmdir(it->path.c_str());", "        if (false)\n            ::rmdir(it->path.c_str());"),
    M("keep_undo.cpp", "if (isWritten(target, e.written) || (force", "if (exists(target) || (force"),
    M("keep_undo.cpp", "if (journal.complete) {", "if (false) {"),
    M("kept_copy_calls.cpp", "!missing.empty() && !force", "false && !force"),
    M("keep_undo.cpp", "if (e.kind != JournalEntry::Kind::Touched && !isWritten(", "if (e.kind == JournalEntry::Kind::Added && !isWritten("),
    M("keep_folder.cpp", "(st.st_mode & 022) != 0", "(st.st_mode & 002) != 0"),
    M("keep_folder.cpp", "O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));\n    if (!fd) {", "O_RDONLY | O_DIRECTORY | O_CLOEXEC));\n    if (!fd) {"),
    M("kept_changes.cpp", "slot.beside = folderStat.st_dev != keepDev_;", "slot.beside = folderStat.st_dev == keepDev_;"),
    M("kept_changes.cpp", "if (errno != ENOENT)\n            return errno;", "if (errno != ENOENT && errno != EIO)\n            return errno;"),
    M("kept_copy_calls.cpp", "journal.complete)\n        return promote(keepRoot);", "!journal.complete)\n        return promote(keepRoot);"),
    M("kept_copy_calls.cpp", "if (present(previous) && ::rename(previous.c_str(), discarded.c_str()) != 0)",
      "if (false)"),
]


def run(cmd, timeout, env=None, cwd=None):
    try:
        # No terminal input: a run left in the background would otherwise be stopped when a tool reads it.
        p = subprocess.run(cmd, cwd=cwd, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                           stderr=subprocess.STDOUT, timeout=timeout, text=True, errors="replace")
        return p.returncode, p.stdout
    except subprocess.TimeoutExpired:
        return "timeout", ""


def mutated(text, m):
    count = text.count(m.find)
    if count == 0 or m.occurrence >= count:
        return None
    if count > 1 and m.occurrence == 0:
        raise SystemExit(f"{m.file}: {m.find!r} occurs {count} times; give an occurrence")
    at = -1
    for _ in range(m.occurrence + 1):
        at = text.find(m.find, at + 1)
    return text[:at] + m.replace + text[at + len(m.find):]


def test_env(build):
    env = dict(os.environ)
    env["QT_QPA_PLATFORM"] = "offscreen"
    env["TALLYRUNE_BIN_DIR"] = str(build / "bin")
    return env


def build_and_test(build, stages):
    """(built, caught, by): built is False when the mutant does not compile."""
    for stage in stages:
        code, _ = run(["cmake", "--build", str(build), "--target", *stage.targets], timeout=1800)
        if code != 0:
            return False, False, ""
        code, out = run([str(build / "bin" / stage.program), "--gtest_brief=1", "--gtest_fail_fast",
                         f"--gtest_filter={stage.gtest_filter}"], timeout=stage.timeout, env=test_env(build))
        if code != 0:
            failed = [l for l in out.splitlines() if l.startswith("[  FAILED  ]")]
            return True, True, (failed[0][13:].strip() if failed else f"{stage.program} exit {code}")
    return True, False, ""


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build-mutate")
    parser.add_argument("--only", default="", help="comma-separated parts of the paths of the files to mutate")
    parser.add_argument("--list", action="store_true")
    parser.add_argument("--check", action="store_true", help="only check that every mutant applies")
    args = parser.parse_args()
    build = (ROOT / args.build).resolve()
    wanted = args.only.split(",")
    selected = [(i, m) for i, m in enumerate(MUTANTS) if any(w in m.file for w in wanted)]
    if args.list:
        for i, m in selected:
            print(f"{i:3} {m.file}: {m.find!r} -> {m.replace!r}" + (" (equivalent)" if m.equivalent else ""))
        return 0

    if args.check:
        bad = [(i, m) for i, m in selected if mutated((ROOT / m.file).read_text(), m) is None]
        for i, m in bad:
            print(f"mutant {i} does not apply: {m.file}: {m.find!r}")
        print(f"{len(selected) - len(bad)} of {len(selected)} mutants apply")
        return 1 if bad else 0

    if not (build / "build.ninja").exists():
        launcher = ["-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"] if shutil.which("ccache") else []
        # Each mutant relinks a test program; lld does that several times faster than the default.
        if shutil.which("ld.lld"):
            launcher.append("-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld")
        subprocess.run(["cmake", "-S", str(ROOT), "-B", str(build), "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Debug",
                        "-DCMAKE_CXX_FLAGS_DEBUG=-O0", "-DCMAKE_C_FLAGS_DEBUG=-O0", *launcher], check=True,
                       stdout=subprocess.DEVNULL)
    print("building the test programs once ...", flush=True)
    targets = sorted({t for stages in GROUPS.values() for stage in stages for t in stage.targets})
    subprocess.run(["cmake", "--build", str(build), "--target", *targets], check=True, stdout=subprocess.DEVNULL)

    originals = {}

    def restore(*_):
        for path, text in originals.items():
            path.write_text(text)
        if _:
            sys.exit(130)

    signal.signal(signal.SIGINT, restore)
    signal.signal(signal.SIGTERM, restore)

    killed, survived, invalid, skipped = [], [], [], []
    started = time.time()
    try:
        for i, m in selected:
            path = ROOT / m.file
            original = originals.setdefault(path, path.read_text())
            if m.equivalent:
                skipped.append((i, m))
                continue
            text = mutated(original, m)
            if text is None:
                raise SystemExit(f"mutant {i}: '{m.find}' not found in {m.file}")
            path.write_text(text)
            began = time.time()
            try:
                built, caught, by = build_and_test(build, GROUPS[m.file])
            finally:
                path.write_text(original)
            if not built:
                invalid.append((i, m))
                print(f"[{i:3}] does not build   {m.file}: {m.find!r}", flush=True)
                continue
            (killed if caught else survived).append((i, m))
            verdict = f"killed by {by}" if caught else "SURVIVED"
            print(f"[{i:3}] {verdict:60.60} {time.time() - began:4.0f} s  {Path(m.file).name}: {m.find[:50]!r}",
                  flush=True)
    finally:
        restore()
        run(["cmake", "--build", str(build), "--target",
             *sorted({t for stages in GROUPS.values() for stage in stages for t in stage.targets})], timeout=1800)

    judged = len(killed) + len(survived)
    print(f"\n{len(killed)} of {judged} mutants killed ({100.0 * len(killed) / max(judged, 1):.1f} %), "
          f"{len(invalid)} did not build, {len(skipped)} equivalent; {time.time() - started:.0f} s")
    for i, m in survived:
        print(f"  survived [{i}] {m.file}: {m.find!r} -> {m.replace!r}")
    for i, m in skipped:
        print(f"  equivalent [{i}] {m.file}: {m.find!r} -> {m.replace!r}: {m.equivalent}")
    return 1 if survived else 0


if __name__ == "__main__":
    sys.exit(main())
