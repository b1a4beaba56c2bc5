// Lexer, parser and name resolution of ZelScript files.
#include "program.h"
#include "zel/quoted.h"

#include <QSet>
#include <QVarLengthArray>
#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <cmath>
#include <optional>
#include <string>

namespace zelscript {

using namespace detail;
using zel::Value;

namespace {

enum class Tok : quint8 {
    End,
    Newline,
    Colon,
    Ident,
    String,
    Number,
    Dot,
    LParen,
    RParen,
    Comma,
    Eq,
    Amp,
    Plus,
    Minus,
    Star,
    Slash,
    Backslash,
    Lt,
    Gt,
    Le,
    Ge,
    Ne,
};

struct Token {
    Tok kind = Tok::End;
    qint32 line = 0;
    qint32 column = 0;
    qint32 begin = 0; // offset in the source
    qint32 end = 0;
    QString text;     // identifier, or the string's value
    Value number;
};

// The operators and punctuation of one character.
constexpr char16_t kSingleChars[] = u":.(),=&+-*/\\";
constexpr Tok kSingleTokens[] = {Tok::Colon, Tok::Dot,  Tok::LParen, Tok::RParen, Tok::Comma, Tok::Eq,
                                 Tok::Amp,   Tok::Plus, Tok::Minus,  Tok::Star,   Tok::Slash, Tok::Backslash};
static_assert(std::size(kSingleChars) - 1 == std::size(kSingleTokens), "one token for each character");

QString describe(const Token &t)
{
    switch (t.kind) {
    case Tok::End:
        return QStringLiteral("the end of the file");
    case Tok::Newline:
        return QStringLiteral("the end of the line");
    case Tok::Ident:
        return QLatin1Char('\'') + t.text + QLatin1Char('\'');
    case Tok::String:
        return QStringLiteral("a string");
    case Tok::Number:
        return QStringLiteral("a number");
    default:
        return QString();
    }
}

[[noreturn]] void syntaxError(const QString &file, int line, int column, const QString &what)
{
    throw ScriptError(zel::ZelError(zel::E_SCRIPT_SYNTAX, QStringLiteral("Syntax error: ") + what), file, line, column);
}

bool isIdentStart(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

bool isIdentChar(QChar c)
{
    return isIdentStart(c) || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('_');
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Integer literals take the smallest of I2, I4 and R8 that holds them, as in VBScript.
Value integerLiteral(double d)
{
    if (d <= 32767)
        return Value::fromI2(qint16(d));
    if (d <= 2147483647.0)
        return Value::fromI4(qint32(d));
    return Value::fromR8(d);
}

class Lexer {
public:
    Lexer(const QString &src, const QString &file) : m_src(src), m_file(file) {}

    // The tokens of the next line (continued lines are one): everything up to and including its
    // Newline token, or the End token after the last line. The parser holds one line at a time.
    void line(std::vector<Token> &out)
    {
        out.clear();
        const qsizetype n = m_src.size();
        qsizetype i = m_at;
        while (i < n) {
            QChar c = m_src[i];
            if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QChar(0xA0) || c == QChar(0xFEFF)) {
                ++i;
                continue;
            }
            if (c == QLatin1Char('\'')) {
                while (i < n && m_src[i] != QLatin1Char('\r') && m_src[i] != QLatin1Char('\n'))
                    ++i;
                continue;
            }
            if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
                Token t = make(Tok::Newline, i);
                i += (c == QLatin1Char('\r') && i + 1 < n && m_src[i + 1] == QLatin1Char('\n')) ? 2 : 1;
                t.end = qint32(i);
                out.push_back(t);
                newLine(i);
                m_at = i;
                return;
            }
            if (c == QLatin1Char('_')) {
                // Line continuation: an underscore with nothing after it on the line.
                qsizetype j = i + 1;
                while (j < n && (m_src[j] == QLatin1Char(' ') || m_src[j] == QLatin1Char('\t')))
                    ++j;
                if (j >= n || m_src[j] == QLatin1Char('\r') || m_src[j] == QLatin1Char('\n')) {
                    if (j < n)
                        j += (m_src[j] == QLatin1Char('\r') && j + 1 < n && m_src[j + 1] == QLatin1Char('\n')) ? 2 : 1;
                    i = j;
                    newLine(i);
                    continue;
                }
                fail(i, QStringLiteral("unexpected character '_'"));
            }
            if (isIdentStart(c)) {
                qsizetype j = i + 1;
                while (j < n && isIdentChar(m_src[j]))
                    ++j;
                Token t = make(Tok::Ident, i);
                t.text = m_src.mid(i, j - i);
                t.end = qint32(j);
                if (t.text.compare(QLatin1String("rem"), Qt::CaseInsensitive) == 0 && atStatementStart(out)) {
                    while (j < n && m_src[j] != QLatin1Char('\r') && m_src[j] != QLatin1Char('\n'))
                        ++j;
                    i = j;
                    continue;
                }
                out.push_back(t);
                i = j;
                continue;
            }
            if (c == QLatin1Char('"')) {
                Token t = make(Tok::String, i);
                QString value;
                qsizetype j = i;
                if (!zel::readQuoted(m_src, j, &value, true))
                    fail(i, QStringLiteral("the string has no closing double quote"));
                t.text = value;
                t.end = qint32(j);
                out.push_back(t);
                i = j;
                continue;
            }
            // ".5" is a number where a value begins: after a blank, an operator or a parenthesis,
            // not right after a name (obj.member).
            const bool pointNumber = c == QLatin1Char('.') && i + 1 < n && isDigit(m_src[i + 1])
                                     && (out.empty() || (i > 0 && (m_src[i - 1] == QLatin1Char(' ') || m_src[i - 1] == QLatin1Char('\t')))
                                         || (out.back().kind != Tok::Ident && out.back().kind != Tok::RParen
                                             && out.back().kind != Tok::String));
            if (isDigit(c) || pointNumber) {
                i = number(out, i);
                continue;
            }
            if (c == QLatin1Char('&') && i + 2 < n && (m_src[i + 1] == QLatin1Char('H') || m_src[i + 1] == QLatin1Char('h'))
                && isHex(m_src[i + 2])) {
                i = hexNumber(out, i);
                continue;
            }
            Tok kind = Tok::End;
            int len = 1;
            QChar d = i + 1 < n ? m_src[i + 1] : QChar();
            using Chars = std::char_traits<char16_t>;
            if (const char16_t *single = Chars::find(kSingleChars, std::size(kSingleTokens), c.unicode())) {
                kind = kSingleTokens[single - kSingleChars];
            } else if (c == QLatin1Char('<')) {
                kind = d == QLatin1Char('=') ? Tok::Le : d == QLatin1Char('>') ? Tok::Ne : Tok::Lt;
                len = kind == Tok::Lt ? 1 : 2;
            } else if (c == QLatin1Char('>')) {
                kind = d == QLatin1Char('=') ? Tok::Ge : Tok::Gt;
                len = kind == Tok::Gt ? 1 : 2;
            } else {
                fail(i, QStringLiteral("unexpected character '%1'").arg(c));
            }
            Token t = make(kind, i);
            t.end = qint32(i + len);
            out.push_back(t);
            i += len;
        }
        Token end = make(Tok::End, n);
        end.end = qint32(n);
        out.push_back(end);
        m_at = n;
    }

private:
    static bool isHex(QChar c)
    {
        return isDigit(c) || (c >= QLatin1Char('a') && c <= QLatin1Char('f')) || (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
    }

    static bool atStatementStart(const std::vector<Token> &out)
    {
        return out.empty() || out.back().kind == Tok::Newline || out.back().kind == Tok::Colon;
    }

    Token make(Tok kind, qsizetype at) const
    {
        Token t;
        t.kind = kind;
        t.line = m_line;
        t.column = qint32(at - m_lineStart) + 1;
        t.begin = qint32(at);
        return t;
    }

    void newLine(qsizetype at)
    {
        ++m_line;
        m_lineStart = at;
    }

    [[noreturn]] void fail(qsizetype at, const QString &what) const
    {
        syntaxError(m_file, m_line, qint32(at - m_lineStart) + 1, what);
    }

    qsizetype number(std::vector<Token> &out, qsizetype i)
    {
        const qsizetype n = m_src.size();
        qsizetype j = i;
        bool real = false;
        while (j < n && isDigit(m_src[j]))
            ++j;
        if (j < n && m_src[j] == QLatin1Char('.') && j + 1 < n && isDigit(m_src[j + 1])) {
            real = true;
            ++j;
            while (j < n && isDigit(m_src[j]))
                ++j;
        }
        if (j < n && (m_src[j] == QLatin1Char('e') || m_src[j] == QLatin1Char('E'))) {
            qsizetype k = j + 1;
            if (k < n && (m_src[k] == QLatin1Char('+') || m_src[k] == QLatin1Char('-')))
                ++k;
            if (k < n && isDigit(m_src[k])) {
                real = true;
                j = k;
                while (j < n && isDigit(m_src[j]))
                    ++j;
            }
        }
        if (j < n && isIdentChar(m_src[j]))
            fail(j, QStringLiteral("unexpected character '%1' after a number").arg(m_src[j]));
        bool ok = false;
        double d = QStringView(m_src).mid(i, j - i).toDouble(&ok);
        if (!ok || !std::isfinite(d))
            fail(i, QStringLiteral("the number %1 is too large").arg(m_src.mid(i, j - i)));
        Token t = make(Tok::Number, i);
        t.end = qint32(j);
        t.number = real ? Value::fromR8(d) : integerLiteral(d);
        out.push_back(t);
        return j;
    }

    // &H1F, &HFFFF (an Integer, -1), &H8004A205 (a Long); a trailing & is allowed.
    qsizetype hexNumber(std::vector<Token> &out, qsizetype i)
    {
        const qsizetype n = m_src.size();
        qsizetype j = i + 2;
        while (j < n && isHex(m_src[j]))
            ++j;
        qsizetype digits = j - (i + 2);
        if (digits > 8)
            fail(i, QStringLiteral("the number %1 is too large").arg(m_src.mid(i, j - i)));
        quint32 u = QStringView(m_src).mid(i + 2, digits).toUInt(nullptr, 16);
        Token t = make(Tok::Number, i);
        t.number = digits <= 4 ? Value::fromI2(qint16(quint16(u))) : Value::fromI4(qint32(u));
        if (j < n && m_src[j] == QLatin1Char('&'))
            ++j;
        if (j < n && isIdentChar(m_src[j]))
            fail(j, QStringLiteral("unexpected character '%1' after a number").arg(m_src[j]));
        t.end = qint32(j);
        out.push_back(t);
        return j;
    }

    const QString &m_src;
    const QString &m_file;
    qsizetype m_at = 0;
    qint32 m_line = 1;
    qsizetype m_lineStart = 0;
};

// Words that cannot name a variable. The statements among them that zelscript does not run are
// reported as unsupported rather than as a bare syntax error.
const QSet<QString> &reservedWords()
{
    static const QSet<QString> words = [] {
        QSet<QString> s;
        for (const char *w : {"and", "call", "case", "class", "const", "dim", "do", "each", "else", "elseif", "empty", "end",
                              "eqv", "exit", "false", "for", "function", "get", "goto", "if", "imp", "in", "is", "let", "loop",
                              "mod", "new", "next", "not", "nothing", "null", "on", "option", "or", "preserve", "private",
                              "property", "public", "redim", "rem", "resume", "select", "set", "step", "stop", "sub", "then",
                              "to", "true", "until", "wend", "while", "with", "xor", "erase", "randomize"})
            s.insert(QLatin1String(w));
        return s;
    }();
    return words;
}

bool isUnsupportedStatement(const QString &lower)
{
    static const QSet<QString> words = [] {
        QSet<QString> s;
        for (const char *w : {"if", "for", "do", "while", "select", "function", "with", "const", "redim", "class", "private",
                              "public", "property", "erase", "randomize", "stop", "let", "else", "elseif", "wend", "loop",
                              "next", "goto"})
            s.insert(QLatin1String(w));
        return s;
    }();
    return words.contains(lower);
}

// vbCrLf, vbCr, vbLf and vbTab: the texts that a string literal cannot hold.
int lineBreakConstant(const QString &lower)
{
    static const char *const names[] = {"vbcrlf", "vbcr", "vblf", "vbtab"};
    for (int i = 0; i < 4; ++i) {
        if (lower == QLatin1String(names[i]))
            return i;
    }
    return -1;
}

const QSet<QString> &hostNames()
{
    static const QSet<QString> s{QStringLiteral("zel"), QStringLiteral("dbg"), QStringLiteral("dat"), QStringLiteral("err")};
    return s;
}

class Parser {
public:
    explicit Parser(Program &p) : m_p(p) {}

    void run()
    {
        m_lexer = std::make_unique<Lexer>(m_p.source, m_p.file);
        m_toks.reserve(64);
        m_p.exprs.reserve(size_t(m_p.source.size() / 16));
        m_p.args.reserve(size_t(m_p.source.size() / 48));
        m_pos = 0;
        m_sub = &m_p.top;
        m_p.top.exprBegin = 0;
        QList<std::pair<qint32, qint32>> topRanges; // expression ranges of the top level
        qint32 topStart = 0;
        for (;;) {
            skipSeparators();
            if (peek().kind == Tok::End)
                break;
            if (isWord(peek(), "sub")) {
                topRanges.append({topStart, qint32(m_p.exprs.size())});
                parseSub();
                topStart = qint32(m_p.exprs.size());
                continue;
            }
            if (isWord(peek(), "end"))
                fail(peek(), QStringLiteral("'End' without a Sub"));
            parseStatement();
            endOfStatement();
        }
        topRanges.append({topStart, qint32(m_p.exprs.size())});
        resolve(topRanges);
    }

private:
    // ---- tokens --------------------------------------------------------------------------
    // The current token; past the end of a line, the next line is read. A token stays valid
    // until then, that is for the statement it belongs to.
    const Token &peek()
    {
        if (m_pos >= m_toks.size()) {
            if (!m_toks.empty() && m_toks.back().kind == Tok::End)
                return m_toks.back();
            m_lexer->line(m_toks);
            m_pos = 0;
        }
        return m_toks[m_pos];
    }
    const Token &next()
    {
        const Token &t = peek();
        ++m_pos;
        return t;
    }
    static bool isWord(const Token &t, const char *word)
    {
        return t.kind == Tok::Ident && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    }
    [[noreturn]] void fail(const Token &t, const QString &what) const { syntaxError(m_p.file, t.line, t.column, what); }

    const Token &expect(Tok kind, const char *what)
    {
        const Token &t = peek();
        if (t.kind != kind) {
            QString found = describe(t);
            if (found.isEmpty())
                found = QLatin1Char('\'') + m_p.source.mid(t.begin, t.end - t.begin) + QLatin1Char('\'');
            fail(t, QStringLiteral("expected %1 but found %2").arg(QLatin1String(what), found));
        }
        return next();
    }

    void expectWord(const char *word, const QString &what)
    {
        if (!isWord(peek(), word))
            fail(peek(), what);
        next();
    }

    bool atEndOfStatement()
    {
        Tok k = peek().kind;
        return k == Tok::Newline || k == Tok::Colon || k == Tok::End;
    }

    void endOfStatement()
    {
        if (!atEndOfStatement()) {
            const Token &t = peek();
            if (t.kind == Tok::Eq || t.kind == Tok::Lt || t.kind == Tok::Gt || t.kind == Tok::Le || t.kind == Tok::Ge
                || t.kind == Tok::Ne)
                fail(t, QStringLiteral("comparisons are not supported by zelscript"));
            QString found = describe(t);
            if (found.isEmpty())
                found = QLatin1Char('\'') + m_p.source.mid(t.begin, t.end - t.begin) + QLatin1Char('\'');
            fail(t, QStringLiteral("expected the end of the statement but found %1").arg(found));
        }
    }

    void skipSeparators()
    {
        while (peek().kind == Tok::Newline || peek().kind == Tok::Colon)
            next();
    }

    // ---- nodes ---------------------------------------------------------------------------
    qint32 node(Op op, const Token &at)
    {
        Expr e;
        e.op = op;
        e.line = at.line;
        e.column = at.column;
        m_p.exprs.push_back(e);
        return qint32(m_p.exprs.size() - 1);
    }

    qint32 nameIndex(const QString &name)
    {
        auto it = m_nameIndex.constFind(name);
        if (it != m_nameIndex.constEnd())
            return it.value();
        m_p.names.append(name);
        const qint32 i = qint32(m_p.names.size() - 1);
        m_nameIndex.insert(name, i);
        return i;
    }

    qint32 constant(const Value &v, const Token &at)
    {
        qint32 e = node(Op::Const, at);
        m_p.consts.append(v);
        m_p.exprs[e].index = qint32(m_p.consts.size() - 1);
        return e;
    }

    void setArgs(qint32 e, const QVarLengthArray<qint32, 8> &args, bool parens)
    {
        Expr &x = m_p.exprs[e];
        x.parens = parens;
        x.argBegin = qint32(m_p.args.size());
        x.argCount = qint32(args.size());
        m_p.args.insert(m_p.args.end(), args.begin(), args.end());
    }

    // ---- Subs and statements -------------------------------------------------------------
    void parseSub()
    {
        const Token &subTok = next();
        const Token &nameTok = expect(Tok::Ident, "the name of the Sub");
        const QString lower = nameTok.text.toLower();
        if (reservedWords().contains(lower))
            fail(nameTok, QStringLiteral("'%1' is a keyword and cannot name a Sub").arg(nameTok.text));
        if (const auto known = m_subIndex.constFind(lower); known != m_subIndex.constEnd())
            fail(nameTok, QStringLiteral("Sub %1 is defined twice (first on line %2)").arg(nameTok.text).arg(m_p.subs[size_t(*known)].line));
        if (peek().kind == Tok::LParen) {
            next();
            if (peek().kind != Tok::RParen)
                fail(peek(), QStringLiteral("Sub %1: parameters are not supported").arg(nameTok.text));
            next();
        }
        endOfStatement();
        m_p.subs.emplace_back();
        Sub &sub = m_p.subs.back();
        sub.name = nameTok.text;
        sub.line = subTok.line;
        sub.column = subTok.column;
        sub.exprBegin = qint32(m_p.exprs.size());
        const qsizetype index = m_p.subs.size() - 1;
        m_subIndex.insert(lower, qint32(index));
        m_sub = &sub;
        for (;;) {
            skipSeparators();
            const Token &t = peek();
            if (t.kind == Tok::End)
                syntaxError(m_p.file, sub.line, sub.column, QStringLiteral("Sub %1 has no End Sub").arg(sub.name));
            if (isWord(t, "sub"))
                fail(t, QStringLiteral("a Sub cannot be defined inside Sub %1").arg(sub.name));
            if (isWord(t, "end")) {
                next();
                expectWord("sub", QStringLiteral("expected 'End Sub'"));
                endOfStatement();
                break;
            }
            parseStatement();
            endOfStatement();
        }
        m_p.subs[index].exprEnd = qint32(m_p.exprs.size());
        if (lower == QLatin1String("main"))
            m_p.mainIndex = qint32(index);
        m_sub = &m_p.top;
    }

    void addStatement(StKind kind, const Token &first, qint32 expr = -1, qint32 value = -1)
    {
        Stmt s;
        s.kind = kind;
        s.line = first.line;
        s.column = first.column;
        s.expr = expr;
        s.value = value;
        s.srcBegin = first.begin;
        const Token &last = m_toks[m_pos > 0 ? m_pos - 1 : 0];
        s.srcLength = std::max(0, last.end - first.begin);
        m_sub->body.push_back(s);
    }

    void parseStatement()
    {
        const Token &first = peek();
        if (first.kind != Tok::Ident)
            fail(first, QStringLiteral("expected a statement but found %1").arg(describeAny(first)));
        const QString word = first.text.toLower();
        if (word == QLatin1String("dim")) {
            next();
            do {
                const Token &nameTok = expect(Tok::Ident, "a variable name");
                QString lower = nameTok.text.toLower();
                checkVariableName(nameTok);
                if (!m_sub->declared(lower))
                    fail(nameTok, QStringLiteral("the variable %1 is declared twice").arg(nameTok.text));
                if (peek().kind == Tok::LParen)
                    fail(peek(), QStringLiteral("arrays cannot be declared; Dim takes plain variables"));
            } while (peek().kind == Tok::Comma && (next(), true));
            return;
        }
        if (word == QLatin1String("set")) {
            next();
            qint32 target = parseChain();
            expect(Tok::Eq, "'='");
            qint32 value = parseExpression();
            assignment(first, target, value, true);
            return;
        }
        if (word == QLatin1String("call")) {
            next();
            if (peek().kind != Tok::Ident)
                fail(peek(), QStringLiteral("expected the name of a Sub or method after Call"));
            qint32 target = parseChain();
            checkCallable(target);
            addStatement(StKind::Eval, first, target);
            return;
        }
        if (word == QLatin1String("on")) {
            next();
            expectWord("error", QStringLiteral("expected 'Error' after 'On'"));
            if (isWord(peek(), "resume")) {
                next();
                expectWord("next", QStringLiteral("expected 'Next' after 'On Error Resume'"));
                addStatement(StKind::OnErrorResume, first);
                return;
            }
            if (isWord(peek(), "goto")) {
                next();
                const Token &zero = peek();
                if (zero.kind != Tok::Number || zero.number.type() != zel::VT_I2 || zero.number.integerValue() != 0)
                    fail(zero, QStringLiteral("only 'On Error GoTo 0' is supported"));
                next();
                addStatement(StKind::OnErrorGoto0, first);
                return;
            }
            fail(peek(), QStringLiteral("expected 'Resume Next' or 'GoTo 0' after 'On Error'"));
        }
        if (word == QLatin1String("exit")) {
            next();
            expectWord("sub", QStringLiteral("expected 'Sub' after 'Exit'"));
            if (m_sub == &m_p.top)
                fail(first, QStringLiteral("'Exit Sub' outside a Sub"));
            addStatement(StKind::ExitSub, first);
            return;
        }
        if (word == QLatin1String("option")) {
            next();
            expectWord("explicit", QStringLiteral("expected 'Explicit' after 'Option'"));
            if (m_sub != &m_p.top)
                fail(first, QStringLiteral("'Option Explicit' belongs at the top of the script"));
            m_p.optionExplicit = true;
            return;
        }
        if (isUnsupportedStatement(word))
            fail(first, QStringLiteral("'%1' statements are not supported by zelscript").arg(first.text));
        if (reservedWords().contains(word))
            fail(first, QStringLiteral("unexpected keyword '%1'").arg(first.text));

        // A call or an assignment, starting with a name.
        size_t lastParen = 0;
        qint32 lastNode = -1;
        qint32 target = parseChain(&lastParen, &lastNode);
        if (peek().kind == Tok::Eq) {
            next();
            qint32 value = parseExpression();
            assignment(first, target, value, false);
            return;
        }
        if (!atEndOfStatement()) {
            // Arguments without parentheses: obj.Method a, b. A parenthesised group right after
            // the name begins the first argument: dbg.output ("a") & "b".
            if (m_p.exprs[target].op == Op::Apply)
                endOfStatement();
            if (lastNode == target && lastParen != 0) {
                Expr &x = m_p.exprs[target];
                x.argCount = 0;
                x.parens = false;
                m_pos = lastParen;
            }
            QVarLengthArray<qint32, 8> args;
            args.append(parseExpression());
            while (peek().kind == Tok::Comma) {
                next();
                args.append(parseExpression());
            }
            setArgs(target, args, false);
        }
        checkCallable(target);
        addStatement(StKind::Eval, first, target);
    }

    QString describeAny(const Token &t) const
    {
        QString d = describe(t);
        return d.isEmpty() ? QLatin1Char('\'') + m_p.source.mid(t.begin, t.end - t.begin) + QLatin1Char('\'') : d;
    }

    void checkVariableName(const Token &t) const
    {
        if (reservedWords().contains(t.text.toLower()))
            fail(t, QStringLiteral("'%1' is a keyword and cannot name a variable").arg(t.text));
    }

    void checkCallable(qint32 e) const
    {
        const Expr &x = m_p.exprs[e];
        if (x.op != Op::Name && x.op != Op::Member && x.op != Op::Apply)
            syntaxError(m_p.file, x.line, x.column, QStringLiteral("expected a Sub or method to call"));
    }

    void assignment(const Token &first, qint32 target, qint32 value, bool isSet)
    {
        Expr &x = m_p.exprs[target];
        if (x.op == Op::Name) {
            if (x.parens)
                syntaxError(m_p.file, x.line, x.column, QStringLiteral("array elements cannot be assigned"));
            QString lower = m_p.names[x.index].toLower();
            if (reservedWords().contains(lower))
                syntaxError(m_p.file, x.line, x.column, QStringLiteral("'%1' is a keyword").arg(m_p.names[x.index]));
            m_sub->assign(lower);
            addStatement(isSet ? StKind::SetAssign : StKind::Assign, first, target, value);
            return;
        }
        if (x.op == Op::Member) {
            // Set obj.Prop = x writes the reference like a plain property write.
            addStatement(StKind::PropPut, first, target, value);
            return;
        }
        syntaxError(m_p.file, x.line, x.column, QStringLiteral("this cannot be assigned to"));
    }

    // ---- expressions -----------------------------------------------------------------------
    qint32 parseArgumentList(QVarLengthArray<qint32, 8> &args)
    {
        next(); // (
        if (peek().kind == Tok::RParen) {
            next();
            return 0;
        }
        for (;;) {
            if (peek().kind == Tok::Comma || peek().kind == Tok::RParen)
                fail(peek(), QStringLiteral("an argument is missing"));
            args.append(parseExpression());
            if (peek().kind == Tok::Comma) {
                next();
                continue;
            }
            expect(Tok::RParen, "')' or ','");
            return 0;
        }
    }

    // name { .name | (args) }. lastParen/lastNode tell where the last argument list began and
    // which node took it.
    qint32 parseChain(size_t *lastParen = nullptr, qint32 *lastNode = nullptr)
    {
        const Token &t = peek();
        qint32 e;
        if (t.kind == Tok::Ident) {
            next();
            e = identifier(t);
        } else if (t.kind == Tok::LParen) {
            next();
            e = parseExpression();
            expect(Tok::RParen, "')'");
        } else {
            fail(t, QStringLiteral("expected a name but found %1").arg(describeAny(t)));
        }
        return postfix(e, lastParen, lastNode);
    }

    qint32 postfix(qint32 e, size_t *lastParen = nullptr, qint32 *lastNode = nullptr)
    {
        // Each link runs on the result of the one before: the arguments of a later link are
        // evaluated deeper, so the links count as levels until the chain ends.
        std::optional<Nest> links;
        int linkCount = 0;
        auto link = [&] {
            links.reset();
            links.emplace(*this, peek(), ++linkCount);
        };
        for (;;) {
            if (peek().kind == Tok::Dot) {
                link();
                const Token &dot = next();
                const Token &name = peek();
                if (name.kind != Tok::Ident)
                    fail(name, QStringLiteral("expected a property or method name after '.'"));
                next();
                qint32 m = node(Op::Member, dot);
                m_p.exprs[m].a = e;
                m_p.exprs[m].index = nameIndex(name.text);
                m_p.exprs[m].line = name.line;
                m_p.exprs[m].column = name.column;
                e = m;
                continue;
            }
            if (peek().kind == Tok::LParen) {
                const size_t parenPos = m_pos;
                QVarLengthArray<qint32, 8> args;
                const bool takesArgs = (m_p.exprs[e].op == Op::Name || m_p.exprs[e].op == Op::Member) && !m_p.exprs[e].parens;
                if (!takesArgs)
                    link(); // a node of its own (Apply); arguments of a name or member are not
                const Token &open = peek();
                parseArgumentList(args);
                if (takesArgs) {
                    setArgs(e, args, true);
                } else {
                    qint32 apply = node(Op::Apply, open);
                    m_p.exprs[apply].a = e;
                    setArgs(apply, args, true);
                    e = apply;
                }
                if (lastParen) {
                    *lastParen = parenPos;
                    *lastNode = e;
                }
                continue;
            }
            return e;
        }
    }

    qint32 identifier(const Token &t)
    {
        const QString lower = t.text.toLower();
        if (lower == QLatin1String("true"))
            return constant(Value::fromBool(true), t);
        if (lower == QLatin1String("false"))
            return constant(Value::fromBool(false), t);
        if (lower == QLatin1String("empty"))
            return constant(Value(), t);
        if (lower == QLatin1String("null"))
            return constant(Value::null(), t);
        if (lower == QLatin1String("nothing"))
            return constant(Value::fromObject(nullptr), t);
        if (reservedWords().contains(lower))
            fail(t, QStringLiteral("unexpected keyword '%1'").arg(t.text));
        qint32 e = node(Op::Name, t);
        m_p.exprs[e].index = nameIndex(t.text);
        m_p.exprs[e].name = m_p.exprs[e].index;
        return e;
    }

    // Expressions nest by recursion here and when they run, so their depth is limited: every
    // expression in parentheses or as an argument, every sign and every link of a member chain
    // counts one level. The operands of a chain of binary operators (a & b & c ...) do not add
    // up: the chain is read in a loop and runs in one (interpreter.cpp).
    class Nest {
    public:
        Nest(Parser &p, const Token &at, int levels = 1) : m_p(p), m_levels(levels)
        {
            m_p.m_depth += levels;
            if (m_p.m_depth > MaxExpressionDepth) {
                syntaxError(m_p.m_p.file, at.line, at.column,
                            QStringLiteral("expression nested too deeply (more than %1 levels)").arg(MaxExpressionDepth));
            }
        }
        ~Nest() { m_p.m_depth -= m_levels; }
        Nest(const Nest &) = delete;
        Nest &operator=(const Nest &) = delete;

    private:
        Parser &m_p;
        int m_levels;
    };

    qint32 parseExpression()
    {
        Nest nest(*this, peek());
        return concatenation();
    }

    qint32 binary(Op op, const Token &at, qint32 a, qint32 b)
    {
        qint32 e = node(op, at);
        m_p.exprs[e].a = a;
        m_p.exprs[e].b = b;
        return e;
    }

    // One level of left-associative binary operators: operands of the next level joined by the
    // level's operators, read in a loop (a & b & c ...).
    struct BinaryOperator {
        Tok token;
        Op op;
    };
    qint32 binaryChain(qint32 (Parser::*operand)(), std::initializer_list<BinaryOperator> operators)
    {
        qint32 e = (this->*operand)();
        for (;;) {
            const Tok kind = peek().kind;
            auto found = std::find_if(operators.begin(), operators.end(),
                                      [kind](const BinaryOperator &o) { return o.token == kind; });
            if (found == operators.end())
                return e;
            const Token &op = next();
            e = binary(found->op, op, e, (this->*operand)());
        }
    }

    qint32 concatenation() { return binaryChain(&Parser::additive, {{Tok::Amp, Op::Concat}}); }
    qint32 additive() { return binaryChain(&Parser::multiplicative, {{Tok::Plus, Op::Add}, {Tok::Minus, Op::Subtract}}); }
    qint32 multiplicative() { return binaryChain(&Parser::unary, {{Tok::Star, Op::Multiply}, {Tok::Slash, Op::Divide}}); }

    qint32 unary()
    {
        if (peek().kind == Tok::Minus) {
            const Token &op = next();
            Nest nest(*this, op);
            qint32 e = node(Op::Negate, op);
            qint32 operand = unary();
            m_p.exprs[e].a = operand;
            return e;
        }
        if (peek().kind == Tok::Plus) {
            Nest nest(*this, next());
            return unary();
        }
        return primary();
    }

    qint32 primary()
    {
        const Token &t = peek();
        switch (t.kind) {
        case Tok::Number:
            next();
            return constant(t.number, t);
        case Tok::String:
            next();
            return postfix(constant(Value::fromString(t.text), t));
        case Tok::Ident:
        case Tok::LParen:
            return parseChain();
        case Tok::Eq:
        case Tok::Lt:
        case Tok::Gt:
        case Tok::Le:
        case Tok::Ge:
        case Tok::Ne:
            fail(t, QStringLiteral("comparisons are not supported by zelscript"));
        default:
            fail(t, QStringLiteral("expected a value but found %1").arg(describeAny(t)));
        }
    }

    // ---- name resolution ---------------------------------------------------------------------
    void resolve(const QList<std::pair<qint32, qint32>> &topRanges)
    {
        // Globals: declared or assigned at the top level.
        for (const QStringList *list : {&m_p.top.dims, &m_p.top.assigned}) {
            for (const QString &n : *list) {
                if (!m_p.globals.contains(n) && !(list == &m_p.top.assigned && m_p.optionExplicit))
                    m_p.globals.insert(n, m_p.globalCount++);
            }
        }
        for (Sub &s : m_p.subs) {
            for (const QString &n : s.dims)
                s.locals.insert(n, s.localCount++);
            if (!m_p.optionExplicit) {
                for (const QString &n : s.assigned) {
                    if (!s.locals.contains(n) && !m_p.globals.contains(n))
                        s.locals.insert(n, s.localCount++);
                }
            }
        }
        for (const auto &range : topRanges)
            resolveRange(nullptr, range.first, range.second);
        for (Sub &s : m_p.subs)
            resolveRange(&s, s.exprBegin, s.exprEnd);
    }

    void resolveRange(const Sub *sub, qint32 begin, qint32 end)
    {
        for (qint32 i = begin; i < end; ++i) {
            Expr &x = m_p.exprs[i];
            if (x.op != Op::Name)
                continue;
            const QString lower = m_p.names[x.index].toLower();
            if (sub && sub->locals.contains(lower)) {
                x.op = Op::Local;
                x.index = sub->locals.value(lower);
            } else if (m_p.globals.contains(lower)) {
                x.op = Op::Global;
                x.index = m_p.globals.value(lower);
            } else if (const int c = lineBreakConstant(lower); c >= 0) {
                static const char *const texts[] = {"\r\n", "\r", "\n", "\t"};
                m_p.consts.append(Value::fromString(QLatin1String(texts[c])));
                x.op = Op::Const;
                x.index = qint32(m_p.consts.size() - 1);
            } else if (hostNames().contains(lower)) {
                x.op = lower == QLatin1String("zel")   ? Op::HostZel
                       : lower == QLatin1String("dbg") ? Op::HostDbg
                       : lower == QLatin1String("dat") ? Op::HostDat
                                                       : Op::HostErr;
            } else {
                const qint32 subIndex = m_subIndex.value(lower, -1);
                if (subIndex >= 0) {
                    if (x.argCount > 0)
                        syntaxError(m_p.file, x.line, x.column,
                                    QStringLiteral("Sub %1 takes no arguments").arg(m_p.subs[subIndex].name));
                    x.op = Op::SubCall;
                    x.index = subIndex;
                } else {
                    x.op = Op::Undefined;
                }
            }
        }
        // Hot members of the host objects get nodes of their own.
        for (qint32 i = begin; i < end; ++i) {
            Expr &x = m_p.exprs[i];
            if (x.op != Op::Member || x.a < 0)
                continue;
            const Op host = m_p.exprs[x.a].op;
            const QString &member = m_p.names[x.index];
            x.op = hostMemberOp(host, member);
        }
    }

    Program &m_p;
    std::unique_ptr<Lexer> m_lexer;
    std::vector<Token> m_toks; // the current line
    size_t m_pos = 0;
    Sub *m_sub = nullptr;
    QHash<QString, qint32> m_nameIndex; // m_p.names by text
    QHash<QString, qint32> m_subIndex;  // m_p.subs by lower-case name
    int m_depth = 0;                    // nesting of the expression being read (see Nest)
};

} // namespace

Op detail::hostMemberOp(Op host, const QString &member)
{
    struct HostMember {
        Op host;
        const char *name;
        Op op;
    };
    static const HostMember kMembers[] = {
        {Op::HostDbg, "output", Op::DbgOutput},
        {Op::HostDat, "BstrFromVariant", Op::DatToText},
        {Op::HostDat, "VariantFromBstr", Op::DatFromText},
        {Op::HostErr, "Number", Op::ErrNumber},
        {Op::HostErr, "Description", Op::ErrDescription},
        {Op::HostErr, "Source", Op::ErrSource},
        {Op::HostErr, "Clear", Op::ErrClear},
        {Op::HostErr, "Raise", Op::ErrRaise},
    };
    for (const HostMember &m : kMembers) {
        if (m.host == host && member.compare(QLatin1String(m.name), Qt::CaseInsensitive) == 0)
            return m.op;
    }
    return Op::Member;
}

ScriptError::ScriptError(const zel::ZelError &error, QString file, int line, int column)
    : zel::ZelError(error.unsignedNumber(), error.description()), m_file(std::move(file)), m_line(line), m_column(column)
{
}

QString ScriptError::message() const
{
    QString place = m_file.isEmpty() ? QStringLiteral("script") : m_file;
    if (m_line > 0) {
        place += QLatin1Char(':') + QString::number(m_line);
        if (m_column > 0)
            place += QLatin1Char(':') + QString::number(m_column);
    }
    return place + QStringLiteral(": error 0x") + QStringLiteral("%1").arg(unsignedNumber(), 8, 16, QLatin1Char('0')).toUpper()
           + QStringLiteral(": ") + description();
}

std::shared_ptr<Program> parse(const QString &source, const QString &fileName)
{
    auto p = std::make_shared<Program>();
    p->file = fileName;
    p->source = source;
    Parser(*p).run();
    return p;
}

qint64 statementCount(const Program &program)
{
    qint64 n = qint64(program.top.body.size());
    for (const detail::Sub &s : program.subs)
        n += qint64(s.body.size());
    return n;
}

} // namespace zelscript
