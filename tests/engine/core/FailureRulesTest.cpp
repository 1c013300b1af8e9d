// How the product fails, as CONTRIBUTING.md's "Failures" draws it: each layer
// throws its own type, a catch rethrows, translates or logs the cause, and
// only the prompt of platform/ui puts text before a person. Every rule is
// also shown catching a planted snippet and letting its neighbour through.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const char* const kProductFolders[] = {"engine", "platform", "control", "ledger", "Viewer", "ImageTool"};

// The source with comments removed and the insides of literals blanked, line
// breaks kept: what the rules read is code only.
std::string CodeOnly(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    auto isWord = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; };
    while (i < text.size()) {
        const char c = text[i];
        if (text.compare(i, 2, "//") == 0) {
            while (i < text.size() && text[i] != '\n') ++i;
        } else if (text.compare(i, 2, "/*") == 0) {
            const size_t end = text.find("*/", i + 2);
            const size_t stop = end == std::string::npos ? text.size() : end + 2;
            for (; i < stop; ++i)
                if (text[i] == '\n') out += '\n';
        } else if (c == 'R' && i + 1 < text.size() && text[i + 1] == '"' && (i == 0 || !isWord(text[i - 1]))) {
            const size_t open = text.find('(', i + 2);
            const std::string close = ")" + text.substr(i + 2, open - i - 2) + "\"";
            const size_t end = text.find(close, open);
            const size_t stop = end == std::string::npos ? text.size() : end + close.size();
            out += "\"\"";
            for (; i < stop; ++i)
                if (text[i] == '\n') out += '\n';
        } else if (c == '"' || (c == '\'' && !(i > 0 && isWord(text[i - 1]) && i + 1 < text.size() &&
                                                isWord(text[i + 1])))) { // not a digit separator
            out += c;
            for (++i; i < text.size() && text[i] != c && text[i] != '\n'; ++i)
                if (text[i] == '\\') ++i;
            out += c;
            ++i;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

int LineOf(const std::string& code, size_t pos)
{
    return 1 + static_cast<int>(std::count(code.begin(), code.begin() + static_cast<long>(pos), '\n'));
}

// What a catch may do with what it caught: throw (again, or as its own
// layer's type, itself or through a helper that throws), pass it on (its
// text or itself, to whoever says it; the automation layer's error record; a
// status that says memory ran short, which is the whole cause), or write the
// cause to the log.
const std::regex kEndsWell(R"(\bthrow\b|\bThrow\w*\(|\b(Refuse|Fail)\(|\bLogLine\(|\bPlatformLog\(|)"
                           R"(\bCurrentExceptionText\(|\bShownFailure\(|\b(RecordCurrentException|CreateFailure)\(|)"
                           R"(\*error\s*=|NoMemory\b|\bE_OUTOFMEMORY\b|\bstderr\b)");

// A catch that rightly ends silent: its file, a text of its lines, and why.
const struct {
    const char* file;
    const char* text;
    const char* why;
} kAllowed[] = {
    {"platform/core/OnFailure.h", "unwinding", "a guard unwinding already: the first failure is the one told"},
    {"platform/gdi/DcStateGuard.h", "unwinding", "a guard unwinding already: the first failure is the one told"},
    {"engine/core/Exceptions.cpp", "\"exception\"", "what() of a failure whose own text cannot be had"},
    {"engine/core/AppException.cpp", "adds nothing", "the cause of a failure being made, which says itself"},
    {"engine/core/EngineLog.cpp", "no known type", "the log's own text for what it was given"},
    {"platform/automation/Plugin.h", "Nothing to describe", "the status returned is the whole record"},
    {"ledger/common/CompanyFile.cpp", "reuse = false", "a line that does not read back is written anew"},
    {"ledger/journal/window/JournalGridModel.cpp", "whole of the news", "a product too large: the tip says it"},
    {"ledger/journal/print/DrawingJob.cpp", "FailureAlreadyShown", "shown and logged where it was met"},
};

// Whether lines first to last (from 1) of a file's text, comments and all,
// are a catch of the allowed table.
bool IsAllowed(const std::string& file, const std::string& text, int first, int last)
{
    std::istringstream in(text);
    std::string line, lines;
    for (int n = 1; std::getline(in, line) && n <= last; ++n)
        if (n >= first) lines += line + "\n";
    return std::any_of(std::begin(kAllowed), std::end(kAllowed), [&](const auto& a) {
        return file.ends_with(a.file) && lines.find(a.text) != std::string::npos;
    });
}

// The body of the catch whose keyword is at pos, from its brace to the
// matching one.
std::string CatchBody(const std::string& code, size_t pos, size_t* end)
{
    const size_t open = code.find('{', pos);
    int depth = 0;
    size_t i = open;
    for (; i < code.size(); ++i) {
        if (code[i] == '{') ++depth;
        if (code[i] == '}' && --depth == 0) break;
    }
    *end = i;
    return code.substr(open, i - open + 1);
}

// "file:line: what" for each break of the rules in one source text.
std::vector<std::string> Breaks(const std::string& file, const std::string& text)
{
    static const std::regex catchWord(R"(\bcatch\s*\()");
    static const std::regex throwStd(R"(\bthrow\s+std::)");
    // Windows and console text made anywhere but the prompt.
    static const std::regex ownMessage(R"(\bQ(MessageBox|ErrorMessage|InputDialog|FileDialog|PrintDialog)\b|)"
                                       R"(\bstd::(cerr|cout|clog)\b|\b(stderr|stdout)\b|\b(std::)?(printf|puts)\()");
    const std::string code = CodeOnly(text);
    std::vector<std::string> found;
    auto say = [&](size_t pos, const char* what) {
        found.push_back(file + ":" + std::to_string(LineOf(code, pos)) + ": " + what);
    };
    for (auto it = std::sregex_iterator(code.begin(), code.end(), catchWord); it != std::sregex_iterator(); ++it) {
        size_t end = 0;
        const size_t pos = static_cast<size_t>(it->position());
        const std::string body = CatchBody(code, pos, &end);
        const std::string head = code.substr(pos, code.find('{', pos) - pos);
        std::smatch name; // the name the catch gives what it caught
        const bool passesOn = std::regex_search(head, name, std::regex(R"((\w+)\s*\)\s*$)")) &&
                              std::regex_search(body, std::regex("\\b" + name[1].str() + "\\b"));
        if (!passesOn && !std::regex_search(body, kEndsWell) &&
            !IsAllowed(file, text, LineOf(code, pos), LineOf(code, end)))
            say(pos, "a catch that neither rethrows, translates nor logs the cause");
    }
    for (auto it = std::sregex_iterator(code.begin(), code.end(), throwStd); it != std::sregex_iterator(); ++it)
        say(static_cast<size_t>(it->position()), "throws a standard exception, not its layer's own");
    // The prompt itself, the log before the engine's takes it over, build
    // tools, and the viewer's answer to a program that starts it as an OLE
    // server, which no person reads.
    const bool mayTalk = file.find("platform/ui/") != std::string::npos || file.find("/tools/") != std::string::npos ||
                         file.ends_with("platform/core/PlatformLog.cpp") || file.ends_with("Viewer/PagelookApp.cpp");
    if (!mayTalk)
        for (auto it = std::sregex_iterator(code.begin(), code.end(), ownMessage); it != std::sregex_iterator();
             ++it)
            say(static_cast<size_t>(it->position()), "a text for a person made outside the prompt of platform/ui");
    return found;
}

TEST(FailureRules, ProductCodeFailsOneWay)
{
    const fs::path root(NV_SOURCE_DIR);
    for (const char* folder : kProductFolders) {
        ASSERT_TRUE(fs::is_directory(root / folder)) << folder;
        for (const auto& entry : fs::recursive_directory_iterator(root / folder)) {
            const std::string ext = entry.path().extension().string();
            if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp" && ext != ".c")) continue;
            const std::string file = entry.path().lexically_relative(root).generic_string();
            std::ifstream in(entry.path(), std::ios::binary);
            const std::string text{std::istreambuf_iterator<char>(in), {}};
            for (const std::string& b : Breaks(file, text)) ADD_FAILURE() << b;
        }
    }
}

struct Planted {
    const char* file;
    const char* source;
    int caughtOnLine; // 0: passes
};

const Planted kPlanted[] = {
    {"ledger/x.cpp", "void f() {\n  try { g(); }\n  catch (const std::exception&) { return; }\n}\n", 3},
    {"engine/x.cpp", "try { g(); } catch (...) {\n  n = 0; // not logged: \"LogLine(\"\n}\n", 1},
    {"ledger/x.cpp", "try { g(); } catch (const DbError& e) { ok = false; }\n", 1},
    {"ledger/x.cpp", "try { g(); } catch (const DbError& e) { why = e.what(); }\n", 0},
    {"control/x.cpp", "try { g(); } catch (const CException& e) {\n  LogLine(\"x\", LogText(e));\n}\n", 0},
    {"Viewer/x.cpp", "try { g(); } catch (const CException& e) { throw CAppException(e, 1, {}); }\n", 0},
    {"platform/x.cpp", "try { g(); } catch (...) { Undo(); throw; }\n", 0},
    {"ledger/x.cpp", "try { g(); } catch (const std::exception& e) { Show(ShownFailure(\"Menu\", e)); }\n", 0},
    {"ledger/x.cpp", "int f() {\n  throw std::runtime_error(\"x\");\n}\n", 2},
    {"engine/x.cpp", "// throw std::runtime_error(\"x\");\nconst char* t = \"throw std::logic_error\";\n", 0},
    {"ledger/x.cpp", "throw JournalError(\"x\"); // not std::\n", 0},
    {"engine/x.cpp", "long n = 9'999'999;\nthrow  std::out_of_range(\"it's\");\n", 2},
    {"control/x.cpp", "void f() {\n  QMessageBox::warning(nullptr, \"\", \"x\");\n}\n", 2},
    {"platform/gdi/x.cpp", "void f() { std::fprintf(stderr, \"x\"); }\n", 1},
    {"platform/ui/x.cpp", "void f() { std::fprintf(stderr, \"x\"); }\n", 0},
    {"Viewer/x.cpp", "const char* s = R\"(std::cerr << catch (...) {})\";\n", 0},
};

TEST(FailureRules, EachRuleCatchesAPlantedBreak)
{
    for (const Planted& p : kPlanted) {
        SCOPED_TRACE(p.source);
        const auto found = Breaks(p.file, p.source);
        if (p.caughtOnLine == 0) {
            EXPECT_TRUE(found.empty()) << found[0];
        } else {
            ASSERT_EQ(found.size(), 1u);
            EXPECT_NE(found[0].find(std::string(p.file) + ":" + std::to_string(p.caughtOnLine) + ": "),
                      std::string::npos)
                << found[0];
        }
    }
}

} // namespace
