#include "host/Lexer.h"

#include "host/Log.h"
#include "host/System.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Warnings quote the token that was refused; a runaway token is cut.
std::string Quoted(const char* token)
{
    std::string text(token, strnlen(token, 48));
    if (token[text.size()]) text += "...";
    return text;
}

}  // namespace

size_t ScanNumber(const char* text, bool decimal, bool exponents)
{
    if (!text) return 0;
    const char* p = text;
    if (*p == '+' || *p == '-') ++p;
    bool digits = false;
    while (IsDigit(*p)) {
        ++p;
        digits = true;
    }
    if (decimal && *p == '.') {
        ++p;
        while (IsDigit(*p)) {
            ++p;
            digits = true;
        }
    }
    if (!digits) return 0;
    if (decimal && exponents && (*p == 'e' || *p == 'E')) {
        const char* q = p + 1;
        if (*q == '+' || *q == '-') ++q;
        if (IsDigit(*q)) {
            while (IsDigit(*q)) ++q;
            p = q;
        }
    }
    return (size_t)(p - text);
}

Lexer::Lexer(const char* text, size_t size, const LexerRules& rules, const char* name)
    : text_(text ? text : ""), size_(text ? size : 0), rules_(rules), name_(name ? name : "")
{
}

Lexer::Lexer(const char* text, const LexerRules& rules, const char* name)
    : Lexer(text, text ? strlen(text) : 0, rules, name)
{
}

bool Lexer::IsSeparator(char c) const
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool Lexer::IsEndMarker(const std::string& token) const
{
    return (rules_.endOfFile && StrICmp(token.c_str(), "END_OF_FILE") == 0) ||
           (rules_.eof && StrICmp(token.c_str(), "EOF") == 0);
}

bool Lexer::Scan(State& state, std::string& out, bool* quoted, int* tokenLine) const
{
    while (state.pos < size_ && IsSeparator(text_[state.pos])) {
        if (text_[state.pos] == '\n') ++state.line;
        ++state.pos;
    }
    if (state.pos >= size_) return false;
    *tokenLine = state.line;
    *quoted = rules_.quotes && text_[state.pos] == '"';
    size_t start = state.pos;
    if (*quoted) {
        // Runs to the closing quote, blanks and line breaks and all; the quote is taken with it.
        size_t end = ++start;
        while (end < size_ && text_[end] != '"') {
            if (text_[end] == '\n') ++state.line;
            ++end;
        }
        out.assign(text_ + start, end - start);
        state.pos = end < size_ ? end + 1 : end;
        return true;
    }
    // The separator after the token stays unread: a line value after a keyword starts there.
    while (state.pos < size_ && !IsSeparator(text_[state.pos])) ++state.pos;
    out.assign(text_ + start, state.pos - start);
    return true;
}

bool Lexer::Advance(State& state, std::string& out, int* tokenLine) const
{
    if (state.ended) return false;
    bool quoted = false;
    while (Scan(state, out, &quoted, tokenLine)) {
        // A quoted token is a text, never a marker: a player named "EOF" must not end a file.
        if (quoted) {
            if (state.inComment) continue;
            return true;
        }
        if ((rules_.endMarkersInComments || !state.inComment) && IsEndMarker(out)) {
            state.ended = true;
            return false;
        }
        if (rules_.blockComments) {
            if (state.inComment) {
                if (out == "*/") state.inComment = false;
                continue;
            }
            if (out == "/*") {
                state.inComment = true;
                continue;
            }
            if (out == "*/" && !rules_.strayCommentEndIsToken) continue;
        }
        if (rules_.lineComments && out.compare(0, 2, "//") == 0) {
            // The rest of the line, a quote in it included.
            while (state.pos < size_ && text_[state.pos] != '\n' && text_[state.pos] != '\r') ++state.pos;
            continue;
        }
        return true;
    }
    state.ended = true;
    return false;
}

const char* Lexer::Next()
{
    if (hasPeek_) {
        hasPeek_ = false;
        state_ = peekState_;
        if (!peekFound_) return nullptr;
        token_.swap(peekToken_);
        tokenLine_ = peekLine_;
        return token_.c_str();
    }
    int line = tokenLine_;
    if (!Advance(state_, token_, &line)) return nullptr;
    tokenLine_ = line;
    return token_.c_str();
}

const char* Lexer::Peek()
{
    if (!hasPeek_) {
        peekState_ = state_;
        peekLine_ = tokenLine_;
        peekFound_ = Advance(peekState_, peekToken_, &peekLine_);
        hasPeek_ = true;
    }
    return peekFound_ ? peekToken_.c_str() : nullptr;
}

const char* Lexer::NextValue()
{
    const char* token = Next();
    if (token) return token;
    cutShort_ = true;
    return "";
}

bool Lexer::Is(const char* token, const char* keyword) const
{
    if (!token || !keyword) return false;
    return (rules_.ignoreCase ? StrICmp(token, keyword) : strcmp(token, keyword)) == 0;
}

bool Lexer::Expect(const char* keyword)
{
    const char* token = Peek();
    if (token && Is(token, keyword)) {
        Next();
        return true;
    }
    if (token)
        Warn(peekLine_, "expected %s, found '%s'", keyword, Quoted(token).c_str());
    else
        Warn(tokenLine_, "expected %s, found the end of the text", keyword);
    return false;
}

NumberStatus Lexer::ToInt(const char* token, int* value, int low, int high) const
{
    *value = low > 0 ? low : high < 0 ? high : 0;
    if (!token || !*token) return NumberStatus::MISSING;
    size_t length = ScanNumber(token, false, false);
    if (length == 0 || (rules_.wholeNumbers && token[length])) return NumberStatus::NOT_A_NUMBER;
    const char* p = token;
    bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    long long number = 0;
    for (; IsDigit(*p); ++p)
        if (number <= (long long)INT_MAX + 1) number = number * 10 + (*p - '0');
    if (negative) number = -number;
    if (number < low) {
        *value = low;
        return NumberStatus::OUT_OF_RANGE;
    }
    if (number > high) {
        *value = high;
        return NumberStatus::OUT_OF_RANGE;
    }
    *value = (int)number;
    return NumberStatus::OK;
}

NumberStatus Lexer::ToFloat(const char* token, float* value, float low, float high) const
{
    *value = low > 0.0f ? low : high < 0.0f ? high : 0.0f;
    if (!token || !*token) return NumberStatus::MISSING;
    size_t length = ScanNumber(token, true, rules_.exponents);
    if (length == 0 || (rules_.wholeNumbers && token[length])) return NumberStatus::NOT_A_NUMBER;
    double number = strtod(std::string(token, length).c_str(), nullptr);
    // A number no float can hold is no number: it would turn into infinity.
    if (!std::isfinite(number) || std::fabs(number) > FLT_MAX) return NumberStatus::NOT_A_NUMBER;
    if (number < low) {
        *value = low;
        return NumberStatus::OUT_OF_RANGE;
    }
    if (number > high) {
        *value = high;
        return NumberStatus::OUT_OF_RANGE;
    }
    *value = (float)number;
    return NumberStatus::OK;
}

void Lexer::Report(const char* key, const char* token, NumberStatus status, const std::string& used) const
{
    if (!key || status == NumberStatus::OK) return;
    if (status == NumberStatus::MISSING)
        Warn(tokenLine_, "%s has no value", key);
    else if (status == NumberStatus::NOT_A_NUMBER)
        Warn(tokenLine_, "%s value '%s' is not a number, %s is used", key, Quoted(token).c_str(), used.c_str());
    else
        Warn(tokenLine_, "%s value %s is out of range, %s is used", key, Quoted(token).c_str(), used.c_str());
}

bool Lexer::ReadInt(const char* key, int* value, int low, int high)
{
    const char* token = NextValue();
    NumberStatus status = ToInt(token, value, low, high);
    if (key && status != NumberStatus::OK) Report(key, token, status, std::to_string(*value));
    return status == NumberStatus::OK;
}

bool Lexer::ReadFloat(const char* key, float* value, float low, float high)
{
    const char* token = NextValue();
    NumberStatus status = ToFloat(token, value, low, high);
    if (key && status != NumberStatus::OK) {
        char used[32];
        snprintf(used, sizeof used, "%g", *value);
        Report(key, token, status, used);
    }
    return status == NumberStatus::OK;
}

void Lexer::SkipLine()
{
    hasPeek_ = false;
    while (state_.pos < size_ && text_[state_.pos] != '\n' && text_[state_.pos] != '\r') ++state_.pos;
}

int Lexer::PeekChar() const
{
    return state_.pos < size_ ? (unsigned char)text_[state_.pos] : END;
}

int Lexer::GetChar()
{
    hasPeek_ = false;
    if (state_.pos >= size_) return END;
    char c = text_[state_.pos++];
    if (c == '\n') ++state_.line;
    return (unsigned char)c;
}

int Lexer::ReadLineValue(std::string* out, bool skipLineBreaks)
{
    out->clear();
    int c = GetChar();
    if (skipLineBreaks)
        while (c == '\r' || c == '\n') c = GetChar();
    while (c == ' ' || c == '\t' || c == '"') c = GetChar();
    if (c == '\n') return c;
    while (c != END && c != '\r' && c != '\n' && c != 0 && c != '"') {
        out->push_back((char)c);
        c = GetChar();
    }
    return c;
}

void Lexer::Warn(int line, const char* format, ...) const
{
    va_list args;
    va_start(args, format);
    LogWarningAtV(name_.c_str(), line, format, args);
    va_end(args);
}
