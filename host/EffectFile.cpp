// Reading effect files and writing the GLSL text of their program stages.
#include "host/EffectFile.h"

#include "host/EffectStates.h"
#include "host/Lexer.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace {

std::string Trim(const std::string& s)
{
    size_t b = 0, e = s.size();
    while (b < e && isspace((unsigned char)s[b])) ++b;
    while (e > b && isspace((unsigned char)s[e - 1])) --e;
    return s.substr(b, e - b);
}

// The line without a trailing "//" comment.
std::string StripComment(const std::string& s)
{
    size_t at = s.find("//");
    return at == std::string::npos ? s : s.substr(0, at);
}

std::vector<std::string> Words(const std::string& s)
{
    std::vector<std::string> words;
    Lexer in(s.data(), s.size(), WORD_RULES);
    for (const char* word = in.Next(); word; word = in.Next()) words.push_back(word);
    return words;
}

bool SameName(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

// "#include "name"" or "#include <name>": the name, else empty.
bool IncludeName(const std::string& line, std::string* name)
{
    std::string t = Trim(line);
    if (t.empty() || t[0] != '#') return false;
    t = Trim(t.substr(1));
    if (t.compare(0, 7, "include") != 0) return false;
    t = Trim(t.substr(7));
    if (t.size() < 2 || (t[0] != '"' && t[0] != '<')) {
        name->clear();
        return true;
    }
    char close = t[0] == '"' ? '"' : '>';
    size_t end = t.find(close, 1);
    *name = end == std::string::npos ? std::string() : t.substr(1, end - 1);
    return true;
}

// "key = value", a trailing ';' dropped.
bool KeyValue(const std::string& line, std::string* key, std::string* value)
{
    std::string t = Trim(StripComment(line));
    if (!t.empty() && t.back() == ';') t = Trim(t.substr(0, t.size() - 1));
    size_t eq = t.find('=');
    if (eq == std::string::npos) return false;
    *key = Trim(t.substr(0, eq));
    *value = Trim(t.substr(eq + 1));
    return !key->empty() && !value->empty();
}

bool UniformType(const std::string& word, EffectUniformType* type)
{
    static const struct {
        const char* name;
        EffectUniformType type;
    } types[] = {
        {"float", UNIFORM_FLOAT},         {"vec4", UNIFORM_VEC4}, {"mat4", UNIFORM_MAT4},
        {"int", UNIFORM_INT},             {"bool", UNIFORM_BOOL}, {"sampler2D", UNIFORM_SAMPLER2D},
        {"samplerCube", UNIFORM_SAMPLERCUBE},
    };
    for (const auto& t : types) {
        if (word == t.name) {
            *type = t.type;
            return true;
        }
    }
    return false;
}

bool IsIdentifier(const std::string& s)
{
    if (s.empty() || !(isalpha((unsigned char)s[0]) || s[0] == '_')) return false;
    for (char c : s)
        if (!(isalnum((unsigned char)c) || c == '_')) return false;
    return true;
}

}  // namespace

const std::string& EffectFile::FileName(int file) const
{
    static const std::string none;
    return file >= 0 && file < (int)files_.size() ? files_[file] : none;
}

void EffectFile::Error(int lineIndex, const std::string& message)
{
    if (lineIndex >= 0 && lineIndex < (int)lines_.size()) {
        const Line& l = lines_[lineIndex];
        errors_ += FileName(l.file) + "(" + std::to_string(l.line) + "): error: " + message + "\n";
    } else {
        errors_ += FileName(0) + ": error: " + message + "\n";
    }
}

bool EffectFile::Parse(const char* text, size_t size, const char* fileName, const EffectIncludeFunction& includes,
                       std::string* errors)
{
    files_.assign(1, fileName ? fileName : "effect");
    lines_.clear();
    blocks_.clear();
    techniques_.clear();
    uniforms_.clear();
    samplers_.clear();
    errors_.clear();

    if (ReadLines(text ? text : "", text ? size : 0, includes)) {
        ReadDirectives();
        ReadUniforms();
    }
    if (errors) *errors = errors_;
    return errors_.empty();
}

bool EffectFile::ReadLines(const char* text, size_t size, const EffectIncludeFunction& includes)
{
    auto split = [](const char* t, size_t n, std::vector<std::string>& out) {
        size_t b = 0;
        for (size_t i = 0; i <= n; ++i) {
            if (i == n || t[i] == '\n') {
                size_t e = i;
                if (e > b && t[e - 1] == '\r') --e;
                if (i < n || e > b) out.emplace_back(t + b, e - b);
                b = i + 1;
            }
        }
    };
    if (memchr(text, 0, size)) {
        Error(-1, "the file holds a zero byte: not a text file");
        return false;
    }
    std::vector<std::string> own;
    split(text, size, own);
    for (size_t i = 0; i < own.size(); ++i) {
        std::string name;
        if (!IncludeName(own[i], &name)) {
            lines_.push_back({own[i], 0, (int)i + 1});
            continue;
        }
        lines_.push_back({"", 0, (int)i + 1});  // the #include line itself, kept for the numbering
        int at = (int)lines_.size() - 1;
        std::string included;
        if (name.empty()) {
            Error(at, "#include needs a file name in quotes");
        } else if (!includes || !includes(name.c_str(), &included)) {
            Error(at, "cannot open include file '" + name + "'");
        } else {
            int file = (int)files_.size();
            files_.push_back(name);
            std::vector<std::string> inner;
            split(included.data(), included.size(), inner);
            for (size_t j = 0; j < inner.size(); ++j) {
                lines_.push_back({inner[j], file, (int)j + 1});
                std::string nested;
                if (IncludeName(inner[j], &nested)) {
                    Error((int)lines_.size() - 1, "an included file may not include another ('" + nested + "')");
                    lines_.back().text.clear();
                }
            }
        }
    }
    return errors_.empty();
}

const EffectFile::Block* EffectFile::FindBlock(BlockKind kind, const std::string& name) const
{
    for (const Block& b : blocks_)
        if (b.kind == kind && b.name == name) return &b;
    return nullptr;
}

void EffectFile::ReadDirectives()
{
    enum Mode { CODE, TECHNIQUE, PASS, SAMPLER } mode = CODE;
    int block = -1;
    std::vector<PendingSemantic> semantics;
    struct PassRef {
        int technique, pass, line;
    };
    std::vector<PassRef> passLines;
    std::vector<int> techniqueLines;
    std::vector<int> samplerLines;

    for (int i = 0; i < (int)lines_.size(); ++i) {
        std::string t = Trim(lines_[i].text);
        if (!t.empty() && t[0] == '@') {
            std::vector<std::string> w = Words(t.substr(1));
            std::string directive = w.empty() ? std::string() : w[0];
            size_t args = w.empty() ? 0 : w.size() - 1;
            if (directive == "common") {
                if (args) Error(i, "@common takes no name");
                blocks_.push_back({BLOCK_COMMON, "", {}});
                block = (int)blocks_.size() - 1;
                mode = CODE;
            } else if (directive == "vertex" || directive == "fragment") {
                BlockKind kind = directive == "vertex" ? BLOCK_VERTEX : BLOCK_FRAGMENT;
                if (args != 1 || !IsIdentifier(w[1])) {
                    Error(i, "@" + directive + " needs one name");
                } else if (FindBlock(kind, w[1])) {
                    Error(i, "a second @" + directive + " block named '" + w[1] + "'");
                }
                blocks_.push_back({kind, args ? w[1] : std::string(), {}});
                block = (int)blocks_.size() - 1;
                mode = CODE;
            } else if (directive == "technique") {
                if (args != 1) Error(i, "@technique needs one name");
                std::string name = args ? w[1] : std::string();
                // One error a line, however many copies came before: a file of repeats must not
                // make errors by the square of its length.
                for (const EffectTechniqueInfo& tech : techniques_) {
                    if (tech.name != name) continue;
                    Error(i, "a second technique named '" + name + "'");
                    break;
                }
                techniques_.push_back({name, {}});
                techniqueLines.push_back(i);
                mode = TECHNIQUE;
            } else if (directive == "pass") {
                if (techniques_.empty() || (mode != TECHNIQUE && mode != PASS)) {
                    Error(i, "@pass outside a technique");
                    continue;
                }
                if (args > 1) Error(i, "@pass takes at most one name");
                EffectTechniqueInfo& tech = techniques_.back();
                EffectPassInfo pass;
                pass.name = args ? w[1] : "p" + std::to_string(tech.passes.size());
                tech.passes.push_back(pass);
                passLines.push_back({(int)techniques_.size() - 1, (int)tech.passes.size() - 1, i});
                mode = PASS;
            } else if (directive == "sampler") {
                if (args != 1) Error(i, "@sampler needs one name");
                std::string name = args ? w[1] : std::string();
                for (const EffectSamplerInfo& s : samplers_) {
                    if (s.name != name) continue;
                    Error(i, "a second @sampler block for '" + name + "'");
                    break;
                }
                samplers_.push_back({name, {}});
                samplerLines.push_back(i);
                mode = SAMPLER;
            } else if (directive == "semantic") {
                if (args != 2)
                    Error(i, "@semantic needs a uniform name and a semantic");
                else
                    semantics.push_back({w[1], w[2], i});
            } else {
                Error(i, "unknown directive '@" + directive + "'");
            }
            continue;
        }

        switch (mode) {
        case CODE:
            if (block < 0) {
                blocks_.push_back({BLOCK_COMMON, "", {}});
                block = (int)blocks_.size() - 1;
            }
            blocks_[block].lines.push_back(i);
            break;
        case TECHNIQUE:
            if (!Trim(StripComment(t)).empty()) Error(i, "text in a technique outside its passes");
            break;
        case PASS: {
            if (Trim(StripComment(t)).empty()) break;
            std::string key, value;
            EffectPassInfo& pass = techniques_.back().passes.back();
            if (!KeyValue(t, &key, &value)) {
                Error(i, "expected 'name = value' in a pass");
            } else if (SameName(key, "vertex")) {
                pass.vertex = value;
            } else if (SameName(key, "fragment")) {
                pass.fragment = value;
            } else {
                EffectStateSetting s;
                std::string message;
                if (ParseRenderState(key.c_str(), value.c_str(), &s.state, &s.value, &message))
                    pass.renderStates.push_back(s);
                else
                    Error(i, message);
            }
            break;
        }
        case SAMPLER: {
            if (Trim(StripComment(t)).empty()) break;
            std::string key, value;
            EffectStateSetting s;
            std::string message;
            if (!KeyValue(t, &key, &value))
                Error(i, "expected 'STATE = value' in a sampler block");
            else if (ParseSamplerState(key.c_str(), value.c_str(), &s.state, &s.value, &message))
                samplers_.back().states.push_back(s);
            else
                Error(i, message);
            break;
        }
        }
    }

    if (techniques_.empty()) Error(-1, "the effect has no @technique");
    for (size_t t = 0; t < techniques_.size(); ++t)
        if (techniques_[t].passes.empty())
            Error(techniqueLines[t], "technique '" + techniques_[t].name + "' has no @pass");
    for (const PassRef& ref : passLines) {
        const EffectPassInfo& pass = techniques_[ref.technique].passes[ref.pass];
        if (pass.vertex.empty())
            Error(ref.line, "pass '" + pass.name + "' names no vertex program");
        else if (!FindBlock(BLOCK_VERTEX, pass.vertex))
            Error(ref.line, "pass '" + pass.name + "' names an unknown vertex program '" + pass.vertex + "'");
        if (pass.fragment.empty())
            Error(ref.line, "pass '" + pass.name + "' names no fragment program");
        else if (!FindBlock(BLOCK_FRAGMENT, pass.fragment))
            Error(ref.line, "pass '" + pass.name + "' names an unknown fragment program '" + pass.fragment + "'");
    }

    pendingSemantics_ = semantics;
    pendingSamplerLines_ = samplerLines;
}

bool ParseUniformDeclaration(const std::string& line, std::vector<EffectUniform>* out, std::string* error)
{
    std::string t = Trim(StripComment(line));
    if (t.compare(0, 7, "uniform") != 0 || t.size() < 8 || !isspace((unsigned char)t[7])) return true;
    // Space out the punctuation so that the declaration splits into words.
    std::string spaced;
    for (char c : t) {
        if (c == ',' || c == ';' || c == '[' || c == ']') {
            spaced += ' ';
            spaced += c;
            spaced += ' ';
        } else {
            spaced += c;
        }
    }
    std::vector<std::string> w = Words(spaced);
    size_t k = 1;
    if (k < w.size() && (w[k] == "lowp" || w[k] == "mediump" || w[k] == "highp")) ++k;
    EffectUniformType type;
    if (k >= w.size()) {
        *error = "a uniform declaration must be on one line";
        return false;
    }
    if (!UniformType(w[k], &type)) {
        *error = "uniform type '" + w[k] + "' is not a parameter type (float, vec4, mat4, int, bool, sampler2D, samplerCube)";
        return false;
    }
    ++k;
    while (true) {
        if (k >= w.size() || !IsIdentifier(w[k])) {
            *error = "a uniform declaration must be on one line, as 'uniform type name;'";
            return false;
        }
        EffectUniform u;
        u.name = w[k++];
        u.type = type;
        if (k < w.size() && w[k] == "[") {
            char* end = nullptr;
            long n = k + 1 < w.size() ? strtol(w[k + 1].c_str(), &end, 10) : 0;
            if (k + 2 >= w.size() || w[k + 2] != "]" || !end || *end || n < 1 || n > 1024) {
                *error = "the array size of uniform '" + u.name + "' must be a number from 1 to 1024";
                return false;
            }
            if (type != UNIFORM_FLOAT && type != UNIFORM_VEC4 && type != UNIFORM_MAT4) {
                *error = "only float, vec4 and mat4 uniforms may be arrays ('" + u.name + "')";
                return false;
            }
            u.arraySize = (int)n;
            k += 3;
        }
        out->push_back(u);
        if (k < w.size() && w[k] == ",") {
            ++k;
            continue;
        }
        return true;
    }
}

void EffectFile::ReadUniforms()
{
    std::vector<int> code;
    for (const Block& b : blocks_) code.insert(code.end(), b.lines.begin(), b.lines.end());
    std::sort(code.begin(), code.end());

    for (int i : code) {
        std::vector<EffectUniform> found;
        std::string message;
        if (!ParseUniformDeclaration(lines_[i].text, &found, &message)) Error(i, message);
        for (const EffectUniform& f : found) {
            bool known = false;
            for (const EffectUniform& u : uniforms_) {
                if (u.name != f.name) continue;
                known = true;
                if (u.type != f.type || u.arraySize != f.arraySize)
                    Error(i, "uniform '" + f.name + "' is declared again with another type");
            }
            if (!known) uniforms_.push_back(f);
        }
    }

    for (const PendingSemantic& s : pendingSemantics_) {
        bool found = false;
        for (EffectUniform& u : uniforms_) {
            if (u.name != s.uniform) continue;
            u.semantic = s.semantic;
            found = true;
        }
        if (!found) Error(s.line, "@semantic names an undeclared uniform '" + s.uniform + "'");
    }
    for (size_t n = 0; n < samplers_.size(); ++n) {
        bool found = false;
        for (const EffectUniform& u : uniforms_)
            if (u.name == samplers_[n].name && u.IsSampler()) found = true;
        if (!found) Error(pendingSamplerLines_[n], "@sampler names no sampler uniform '" + samplers_[n].name + "'");
    }
}

std::string EffectFile::BuildSource(EffectStage stage, const std::string& program,
                                    const std::vector<std::string>& macros,
                                    std::vector<EffectLineOrigin>* origins) const
{
    std::string text;
    if (origins) origins->clear();
    auto generated = [&](const std::string& line) {
        text += line;
        text += '\n';
        if (origins) origins->push_back({-1, 0});
    };
    if (stage == EFFECT_FRAGMENT) generated("#line " + std::to_string(FRAGMENT_LINE_BASE));
    for (const std::string& m : macros) generated("#define " + m + " 1");
    generated(stage == EFFECT_VERTEX ? "#define VERTEX_SHADER 1" : "#define FRAGMENT_SHADER 1");
    generated(stage == EFFECT_VERTEX ? "#define VARYING out" : "#define VARYING in");

    auto emit = [&](const Block& b) {
        for (int i : b.lines) {
            text += lines_[i].text;
            text += '\n';
            if (origins) origins->push_back({lines_[i].file, lines_[i].line});
        }
    };
    for (const Block& b : blocks_)
        if (b.kind == BLOCK_COMMON) emit(b);
    if (const Block* b = FindBlock(stage == EFFECT_VERTEX ? BLOCK_VERTEX : BLOCK_FRAGMENT, program)) emit(*b);
    return text;
}

std::string EffectFile::TranslateLog(const std::string& log, const std::vector<EffectLineOrigin>& vertex,
                                     const std::vector<EffectLineOrigin>& fragment) const
{
    std::string out;
    size_t b = 0;
    while (b < log.size()) {
        size_t e = log.find('\n', b);
        if (e == std::string::npos) e = log.size();
        std::string line = log.substr(b, e - b);
        b = e + 1;
        if (Trim(line).empty()) continue;

        // "SOURCE:LINE(COLUMN): message"
        const char* p = line.c_str();
        char* end = nullptr;
        strtol(p, &end, 10);
        bool matched = false;
        if (end != p && *end == ':') {
            const char* q = end + 1;
            long number = strtol(q, &end, 10);
            if (end != q && *end == '(') {
                const char* close = strchr(end, ')');
                if (close && close[1] == ':') {
                    std::string message = Trim(close + 2);
                    const EffectLineOrigin* origin = nullptr;
                    if (number >= FRAGMENT_LINE_BASE) {
                        size_t at = (size_t)(number - FRAGMENT_LINE_BASE + 1);
                        if (at < fragment.size()) origin = &fragment[at];
                    } else if (number >= 1 && (size_t)number <= vertex.size()) {
                        origin = &vertex[number - 1];
                    }
                    if (origin && origin->file >= 0)
                        out += FileName(origin->file) + "(" + std::to_string(origin->line) + "): " + message;
                    else
                        out += FileName(0) + ": " + message;
                    matched = true;
                }
            }
        }
        if (!matched) out += FileName(0) + ": " + Trim(line);
        out += '\n';
    }
    return out;
}
