// GSScanner: the flex-generated scanner of script sources (gs_scanner.l). It hands the
// parser token codes only; the parser reads the token's text (YYText) and the line
// (lineno, advanced by every newline of the matched text) from the scanner itself. flex's
// fatal errors, which would end the process, raise GSScannerError instead, so a bad source
// never takes down the program that compiles it.
#pragma once

#include <stdexcept>

#ifndef yyFlexLexerOnce
#include <FlexLexer.h>
#endif

class GSScannerError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class GSScanner : public yyFlexLexer {
public:
    static constexpr int kBufferBytes = 16384;

    using yyFlexLexer::yyFlexLexer;
    int yylex() override;

protected:
    void LexerError(const char* message) override;
};
