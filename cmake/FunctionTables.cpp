// Writes the tables that follow from the function list (TarvenK3Functions.h): the module
// definitions of the library, of the 64-bit bridge and of the customers' import libraries, and
// the C# declarations of the .NET package. The build compiles it for the machine it runs on and
// runs it at configure time, so the compiler, not a second reading of the header, expands the
// list. Each function's types come from its declaration in TarvenK3Cmd.h.
//
//   function-tables TABLE OUTPUT     TABLE: one of the names in kTables below
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "TarvenK3Cmd.h"

namespace {

struct Function {
  const char* name;       // "SetChannelRadio"
  int bytes;              // its arguments on the 32-bit stack
  TcxResultKind kind;
  std::string result;     // C# type of the result
  std::vector<std::string> parameters;  // "int band", ...
};

// The C# type of each C type the functions use; any other type fails to compile.
template <typename T> const char* CSharpType();
template <> const char* CSharpType<void>() { return "void"; }
template <> const char* CSharpType<int>() { return "int"; }
template <> const char* CSharpType<unsigned char>() { return "byte"; }
template <> const char* CSharpType<unsigned char*>() { return "byte*"; }

// The argument names of a row, "(band, frequency)", as a list.
std::vector<std::string> Names(const char* arguments) {
  std::vector<std::string> names;
  std::string name;
  for (const char* c = arguments; *c; ++c) {
    if (*c == '(' || *c == ' ') continue;
    if (*c == ',' || *c == ')') {
      if (!name.empty()) names.push_back(name);
      name.clear();
    } else {
      name += *c;
    }
  }
  return names;
}

template <typename Result, typename... Parameters>
Function Describe(const char* name, int bytes, TcxResultKind kind, const char* arguments,
                  Result (TCX_API*)(Parameters...)) {
  const char* types[] = {CSharpType<Parameters>()..., nullptr};
  const std::vector<std::string> names = Names(arguments);
  Function f{name, bytes, kind, CSharpType<Result>(), {}};
  for (std::size_t i = 0; i < names.size(); ++i) f.parameters.push_back(std::string(types[i]) + " " + names[i]);
  return f;
}

const std::vector<Function> kFunctions = {
#define TCX_DESCRIBE(name, result, kind, failure, bytes, parameters, arguments) \
  Describe(#name, bytes, kind, #arguments, static_cast<decltype(&tcx_##name)>(nullptr)),
    TCX_FUNCTIONS(TCX_DESCRIBE)
#undef TCX_DESCRIBE
};

// The header's named values that C# programs pass or test.
struct Constant {
  const char* name;
  int value;
};
const Constant kConstants[] = {
    {"TCX_OPEN_PORT_IO_UNAVAILABLE", TCX_OPEN_PORT_IO_UNAVAILABLE},
    {"TCX_OPEN_UNIT_UNAVAILABLE", TCX_OPEN_UNIT_UNAVAILABLE},
    {"TCX_DAY_LEVEL", TCX_DAY_LEVEL},
    {"TCX_NIGHT_LEVEL", TCX_NIGHT_LEVEL},
    {"TCX_BAND_FM", TCX_BAND_FM},
    {"TCX_BAND_AM", TCX_BAND_AM},
};

std::string Decorated(const Function& f) { return "_tcx_" + std::string(f.name) + "@" + std::to_string(f.bytes); }
std::string Stdcall(const Function& f) { return "tcx_" + std::string(f.name) + "@" + std::to_string(f.bytes); }
std::string Plain(const Function& f) { return "tcx_" + std::string(f.name); }

using Row = std::string (*)(const Function&);

std::string Def(Row row) {
  std::string text = "LIBRARY TarvenK3Cmd.dll\nEXPORTS\n";
  for (const Function& f : kFunctions) text += row(f) + "\n";
  return text;
}

// The 32-bit library: "_tcx_X@N = tcx_X@N", its stdcall function under the decorated name.
std::string Library32Def() { return Def([](const Function& f) { return Decorated(f) + " = " + Stdcall(f); }); }
// The win64 build of the library: the same exported names, the functions undecorated.
std::string Library64Def() { return Def([](const Function& f) { return Decorated(f) + " = " + Plain(f); }); }
// The customers' MSVC import library (lib /def): the names exactly as the DLL exports them.
std::string CustomerDef() { return Def(Decorated); }
// The customers' MinGW import library: GNU dlltool adds its own underscore to i386 symbols, so
// "tcx_X@N == _tcx_X@N" gives the symbol _tcx_X@N and asks the DLL for _tcx_X@N.
std::string MingwDef() { return Def([](const Function& f) { return Stdcall(f) + " == " + Decorated(f); }); }
// The 64-bit bridge: each function under its plain x64 name and under the 32-bit name.
std::string BridgeDef() { return Def([](const Function& f) { return Plain(f) + "\n" + Decorated(f) + " = " + Plain(f); }); }
// The import libraries of the 64-bit bridge: the plain names.
std::string X64Def() { return Def(Plain); }

const char* ResultText(TcxResultKind kind) {
  switch (kind) {
    case TCX_CODE: return "TCX_OPEN_* bits; 0 when both halves of the unit are available";
    case TCX_BYTE: return "1 for success or true, 0 for failure or false";
    case TCX_LEVEL: return "a brightness level, 0-15";
    case TCX_NONE: break;
  }
  return "nothing";
}

std::string Join(const std::vector<std::string>& items, const char* separator) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : separator) + item;
  return text;
}

// The raw layer of the .NET package: every function as in C. On Windows each binds to its
// decorated export, which the 32-bit library and the 64-bit bridge both have, with the stdcall
// convention; elsewhere (the tests' shared object of the library) to its plain name.
std::string CSharp() {
  std::string text =
      "// <auto-generated>\n"
      "// Written by cmake/FunctionTables.cpp from the function list, TarvenK3Functions.h. Do not edit:\n"
      "// the host build checks that this file is what the list gives (make csharp-bindings writes it).\n"
      "// </auto-generated>\n"
      "#nullable enable\n"
      "using System.Runtime.InteropServices;\n"
      "#if NET7_0_OR_GREATER\n"
      "using System.Runtime.CompilerServices;\n"
      "#endif\n\n"
      "namespace TarvenK3\n{\n"
      "    /// <summary>\n"
      "    /// The functions of TarvenK3Cmd.dll exactly as the C header declares them, with its named values.\n"
      "    /// Buffers are three bytes the caller owns. docs/API.md describes each function.\n"
      "    /// </summary>\n"
      "    public static unsafe partial class Native\n    {\n"
      "        /// <summary>The library's file name without extension, as the loader looks for it.</summary>\n"
      "        public const string LibraryName = \"TarvenK3Cmd\";\n\n";
  for (const Constant& c : kConstants) {
    text += "        /// <summary>The header's <c>" + std::string(c.name) + "</c>.</summary>\n";
    text += "        public const int " + std::string(c.name) + " = " + std::to_string(c.value) + ";\n\n";
  }
  text += "        private static readonly bool OnWindows = RuntimeInformation.IsOSPlatform(OSPlatform.Windows);\n";
  for (const Function& f : kFunctions) {
    std::vector<std::string> names;
    for (const std::string& p : f.parameters) names.push_back(p.substr(p.rfind(' ') + 1));
    const std::string call = Plain(f) + "(" + Join(names, ", ") + ")";
    text += "\n        /// <summary><c>" + Plain(f) + "</c>, exported as <c>" + Decorated(f) +
            "</c>. Returns " + ResultText(f.kind) + ".</summary>\n";
    const std::string declaration = "        public static " + f.result + " " + Plain(f) + "(" + Join(f.parameters, ", ") + ")";
    if (f.result == "void") {
      text += declaration + "\n        {\n            if (OnWindows) Windows." + call + ";\n            else Host." + call +
              ";\n        }\n";
    } else {
      text += declaration + " => OnWindows ? Windows." + call + " : Host." + call + ";\n";
    }
  }
  for (const bool windows : {true, false}) {
    text += std::string("\n        private static partial class ") + (windows ? "Windows" : "Host") + "\n        {\n";
    for (const Function& f : kFunctions) {
      const std::string entry = windows ? Decorated(f) : Plain(f);
      const std::string signature = f.result + " " + Plain(f) + "(" + Join(f.parameters, ", ") + ");\n";
      text += "#if NET7_0_OR_GREATER\n";
      text += "            [LibraryImport(LibraryName, EntryPoint = \"" + entry + "\")]\n";
      if (windows) text += "            [UnmanagedCallConv(CallConvs = new[] { typeof(CallConvStdcall) })]\n";
      text += "            internal static partial " + signature;
      text += "#else\n";
      text += "            [DllImport(LibraryName, EntryPoint = \"" + entry + "\", ExactSpelling = true" +
              (windows ? ", CallingConvention = CallingConvention.StdCall" : "") + ")]\n";
      text += "            internal static extern " + signature;
      text += "#endif\n";
    }
    text += "        }\n";
  }
  text += "    }\n}\n";
  return text;
}

struct Table {
  const char* name;
  std::string (*write)();
};
const Table kTables[] = {
    {"library32.def", Library32Def}, {"library64.def", Library64Def}, {"customer.def", CustomerDef},
    {"mingw.def", MingwDef},         {"bridge.def", BridgeDef},       {"x64.def", X64Def},
    {"Native.g.cs", CSharp},
};

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3) {
    for (const Table& table : kTables) {
      if (std::strcmp(argv[1], table.name) != 0) continue;
      const std::string text = table.write();
      std::FILE* out = std::fopen(argv[2], "wb");
      if (!out || std::fwrite(text.data(), 1, text.size(), out) != text.size() || std::fclose(out) != 0) {
        std::fprintf(stderr, "function-tables: cannot write %s\n", argv[2]);
        return 1;
      }
      return 0;
    }
  }
  std::fprintf(stderr, "usage: function-tables TABLE OUTPUT; TABLE:");
  for (const Table& table : kTables) std::fprintf(stderr, " %s", table.name);
  std::fprintf(stderr, "\n");
  return 2;
}
