#pragma once
// The one tokenizer of every text the game reads: the .cgs scripts, the configuration, hotkey
// and string files, mesh, animation and particle definitions, and the directive lines of
// effect files. New readers use it too; they pick the rules of their format and never scan
// characters themselves.
//
// Contract:
// - A Lexer walks one text that it neither owns nor changes; the text must outlive it. All its
//   state lives in the object, so lexers nest and run side by side on any thread.
// - Tokens are separated by blanks, tabs and line breaks. Which of the script conventions a
//   format uses (quoted tokens, "//" and "/* */" comments, end markers, keyword case, how
//   much of a token a number must fill) is stated once, in its LexerRules.
// - Nothing in a text can make it read outside the text or loop: every call moves forward or
//   reports the end. It keeps the current and one peeked token, so a text of N bytes costs
//   the caller's N plus its longest token.
// - A token handed out stays valid until the next Next, NextValue or Read call; keep a copy to
//   hold it longer.
// - Numbers pass one check (ScanNumber); values that are not numbers read as 0, values outside
//   a range are clamped. Given a key, Read logs each such value as
//   "WARNING: <name> line <n>: <key> ...", so a bad hand edit is found by its line.
#include <cfloat>
#include <climits>
#include <cstddef>
#include <string>

struct LexerRules {
    bool quotes = false;                  // a token opening with '"' runs to the next '"' (quotes dropped)
    bool lineComments = false;            // a token opening with "//" drops the rest of its line
    bool blockComments = false;           // "/*" ... "*/", standing alone as tokens, are skipped
    bool strayCommentEndIsToken = false;  // a "*/" outside a comment is a token, not skipped
    bool endOfFile = false;               // "END_OF_FILE" (any case) ends the text
    bool eof = false;                     // so does "EOF" (any case)
    bool endMarkersInComments = false;    // the end markers end the text inside a comment too
    bool ignoreCase = false;              // keywords compare without regard to case
    bool wholeNumbers = false;            // a number fills its token ("12a" is none); else its leading part counts
    bool exponents = false;               // floats may carry an exponent ("1e5")
};

// The rules of the game's formats, side by side.

// .cgs scripts (music.cgs and every definition script). A stray "*/" is a word like any other,
// and an end marker inside a comment is commented out.
inline constexpr LexerRules SCRIPT_RULES = [] {
    LexerRules r;
    r.lineComments = r.blockComments = r.strayCommentEndIsToken = true;
    r.endOfFile = r.ignoreCase = r.exponents = true;
    return r;
}();

// Scene files (levels, saves, primitives.cgs) and the sound scripts: keywords keep their case
// (a reader compares its few case-blind ones itself), a stray "*/" is passed over, and
// "END_OF_FILE" ends the text even inside a comment.
inline constexpr LexerRules SCENE_RULES = [] {
    LexerRules r;
    r.lineComments = r.blockComments = true;
    r.endOfFile = r.endMarkersInComments = r.exponents = true;
    return r;
}();

// data/strings/*.txt: scripts whose comment markers are always passed over.
inline constexpr LexerRules STRING_TABLE_RULES = [] {
    LexerRules r;
    r.lineComments = r.blockComments = true;
    r.endOfFile = r.endMarkersInComments = r.ignoreCase = r.exponents = true;
    return r;
}();

// config.cfg, fonts.cfg, settings.cfg and hotkeys.cfg: quoted texts, no line comments, and
// numbers that must be numbers to the last character.
inline constexpr LexerRules CONFIG_RULES = [] {
    LexerRules r;
    r.quotes = r.blockComments = true;
    r.endOfFile = r.eof = r.endMarkersInComments = r.ignoreCase = r.wholeNumbers = true;
    return r;
}();

// Mesh and animation text: as the configuration, but keywords keep their case and a number is
// what a token starts with.
inline constexpr LexerRules MODEL_RULES = [] {
    LexerRules r;
    r.quotes = r.blockComments = true;
    r.endOfFile = r.eof = r.endMarkersInComments = r.exponents = true;
    return r;
}();

// Particle definitions and the particle texture list: bare words; their readers know their
// own end markers.
inline constexpr LexerRules PARTICLE_RULES = [] {
    LexerRules r;
    r.exponents = true;
    return r;
}();

// Nothing but separators (the words of an effect directive line).
inline constexpr LexerRules WORD_RULES = LexerRules();

// The one number check of every format. Length of the number that text starts with, 0 when it
// starts with none: an optional sign and digits; a decimal may hold one point (a digit on
// either side of it will do) and, with exponents, an exponent ("e", an optional sign, digits).
size_t ScanNumber(const char* text, bool decimal, bool exponents);

enum class NumberStatus { OK, MISSING, NOT_A_NUMBER, OUT_OF_RANGE };

class Lexer {
public:
    static constexpr int END = -1;  // what the character readers give at the end of the text

    // name is what warnings call the text (a file or entry name).
    Lexer(const char* text, size_t size, const LexerRules& rules, const char* name = "");
    Lexer(const char* text, const LexerRules& rules, const char* name = "");  // zero-terminated
    Lexer(const Lexer&) = delete;
    Lexer& operator=(const Lexer&) = delete;

    // The next token with the comments skipped, or null at the end of the text or an end marker.
    const char* Next();
    // The token Next would give, without taking it.
    const char* Peek();
    // The next token as a value: at the end an empty token, and CutShort is set.
    const char* NextValue();
    // Takes the next token when it is keyword; otherwise logs what was found instead and
    // leaves it to be read.
    bool Expect(const char* keyword);
    // Keyword comparison under the format's case rule.
    bool Is(const char* token, const char* keyword) const;

    // Converts a token under the format's number rules: value is the number (0 when there is
    // none) clamped to low..high.
    NumberStatus ToInt(const char* token, int* value, int low = INT_MIN, int high = INT_MAX) const;
    NumberStatus ToFloat(const char* token, float* value, float low = -FLT_MAX, float high = FLT_MAX) const;
    // The next token as the value of key, converted as above; true for a number within the
    // range. With a key, a missing value, no number or one out of range is logged with its line.
    bool ReadInt(const char* key, int* value, int low = INT_MIN, int high = INT_MAX);
    bool ReadFloat(const char* key, float* value, float low = -FLT_MAX, float high = FLT_MAX);

    // Drops the rest of the current line (up to, not including, its line break).
    void SkipLine();
    // The script convention for text values: the rest of the line after a keyword, with
    // blanks, tabs and double quotes skipped first (line breaks too with skipLineBreaks), up to
    // a line break, a zero character, a double quote or the end. A keyword ending its line
    // gives an empty value. Returns the character that ended the value (END at the end).
    int ReadLineValue(std::string* out, bool skipLineBreaks);
    // Single characters, for values whose end the format itself defines.
    int PeekChar() const;
    int GetChar();

    // The line of the last token read (1 for the first line).
    int Line() const { return tokenLine_; }
    bool CutShort() const { return cutShort_; }
    bool Ended() const { return state_.ended; }
    bool InComment() const { return state_.inComment; }
    // Characters after the last token: no count in a text can ask for more records than fit.
    size_t Remaining() const { return size_ - state_.pos; }
    // Where the last token (or character read) ends, from the start of the text.
    size_t Offset() const { return state_.pos; }
    const std::string& Name() const { return name_; }
    const LexerRules& Rules() const { return rules_; }

    // "WARNING: <name> line <line>: <text>\n" in the log.
    void Warn(int line, const char* format, ...) const __attribute__((format(printf, 3, 4)));

private:
    struct State {
        size_t pos = 0;
        int line = 1;
        bool inComment = false;
        bool ended = false;
    };
    // Reads the next token into out from state; false at the end.
    bool Advance(State& state, std::string& out, int* tokenLine) const;
    // Reads one raw token (quoted or not) into out; false at the end of the text.
    bool Scan(State& state, std::string& out, bool* quoted, int* tokenLine) const;
    bool IsSeparator(char c) const;
    bool IsEndMarker(const std::string& token) const;
    void Report(const char* key, const char* token, NumberStatus status, const std::string& range) const;

    const char* text_;
    size_t size_;
    LexerRules rules_;
    std::string name_;
    State state_;
    std::string token_;
    int tokenLine_ = 1;
    bool cutShort_ = false;
    bool hasPeek_ = false;
    bool peekFound_ = false;
    State peekState_;
    std::string peekToken_;
    int peekLine_ = 1;
};
