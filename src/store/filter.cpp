// SPDX-License-Identifier: GPL-3.0-or-later
#include "filter.h"

#include "errors.h"
#include "format.h"
#include "values_p.h"

namespace store {

namespace {

enum class Tok { End, Name, Literal, Number, Op, LParen, RParen, And, Or, Not };

struct Token {
    Tok kind = Tok::End;
    QString text;
    int pos = 0;
};

class Lexer {
public:
    explicit Lexer(const QString& s) : m_s(s) {}

    Token next() {
        while (m_i < m_s.size() && m_s.at(m_i).isSpace()) {
            ++m_i;
        }
        Token t;
        t.pos = int(m_i);
        if (m_i >= m_s.size()) {
            return t;
        }
        const QChar c = m_s.at(m_i);
        if (c == QLatin1Char('\'')) {
            ++m_i;
            QString lit;
            for (;;) {
                if (m_i >= m_s.size()) {
                    fail(t.pos, QStringLiteral("a quote is not closed"));
                }
                const QChar ch = m_s.at(m_i++);
                if (ch == QLatin1Char('\'')) {
                    if (m_i < m_s.size() && m_s.at(m_i) == QLatin1Char('\'')) {
                        lit += ch;
                        ++m_i;
                        continue;
                    }
                    break;
                }
                lit += ch;
            }
            t.kind = Tok::Literal;
            t.text = lit;
            return t;
        }
        if (c == QLatin1Char('(') || c == QLatin1Char(')')) {
            ++m_i;
            t.kind = c == QLatin1Char('(') ? Tok::LParen : Tok::RParen;
            return t;
        }
        if (c == QLatin1Char('=') || c == QLatin1Char('<') || c == QLatin1Char('>')) {
            ++m_i;
            t.kind = Tok::Op;
            t.text = c;
            if (m_i < m_s.size()) {
                const QChar d = m_s.at(m_i);
                if ((c == QLatin1Char('<') && (d == QLatin1Char('=') || d == QLatin1Char('>'))) ||
                    (c == QLatin1Char('>') && d == QLatin1Char('='))) {
                    t.text += d;
                    ++m_i;
                }
            }
            return t;
        }
        if (c.isDigit() || ((c == QLatin1Char('-') || c == QLatin1Char('.')) &&
                            m_i + 1 < m_s.size() && m_s.at(m_i + 1).isDigit())) {
            const qsizetype start = m_i++;
            while (m_i < m_s.size() && (m_s.at(m_i).isDigit() || m_s.at(m_i) == QLatin1Char('.'))) {
                ++m_i;
            }
            t.kind = Tok::Number;
            t.text = m_s.mid(start, m_i - start);
            return t;
        }
        if (c == QLatin1Char('[')) {
            const qsizetype end = m_s.indexOf(QLatin1Char(']'), m_i);
            if (end < 0) {
                fail(t.pos, QStringLiteral("a bracket is not closed"));
            }
            t.kind = Tok::Name;
            t.text = m_s.mid(m_i + 1, end - m_i - 1);
            m_i = end + 1;
            return t;
        }
        if (c.isLetter() || c == QLatin1Char('_')) {
            const qsizetype start = m_i++;
            while (m_i < m_s.size() &&
                   (m_s.at(m_i).isLetterOrNumber() || m_s.at(m_i) == QLatin1Char('_'))) {
                ++m_i;
            }
            t.text = m_s.mid(start, m_i - start);
            const QString lower = t.text.toLower();
            t.kind = lower == QLatin1String("and")   ? Tok::And
                     : lower == QLatin1String("or")  ? Tok::Or
                     : lower == QLatin1String("not") ? Tok::Not
                                                     : Tok::Name;
            return t;
        }
        fail(t.pos, QStringLiteral("unexpected character '%1'").arg(c));
    }

    [[noreturn]] void fail(int pos, const QString& why) const {
        throw Error(QStringLiteral("Filter expression \"%1\" is incorrect at position %2: %3")
                        .arg(m_s)
                        .arg(pos + 1)
                        .arg(why));
    }

private:
    const QString& m_s;
    qsizetype m_i = 0;
};

struct Operand {
    const FilterField* field = nullptr;
    QString literal;
    bool isNumber = false;
};

class Parser {
public:
    Parser(const QString& text, const QList<FilterField>& fields) : m_lex(text), m_fields(fields) {
        m_tok = m_lex.next();
    }

    FilterSql run() {
        FilterSql out;
        if (m_tok.kind == Tok::End) {
            return out;
        }
        out.condition = orExpr();
        if (m_tok.kind != Tok::End) {
            m_lex.fail(m_tok.pos, QStringLiteral("unexpected \"%1\"").arg(m_tok.text));
        }
        out.params = m_params;
        return out;
    }

private:
    void advance() { m_tok = m_lex.next(); }

    QString orExpr() {
        QString s = andExpr();
        while (m_tok.kind == Tok::Or) {
            advance();
            s = QStringLiteral("(%1 OR %2)").arg(s, andExpr());
        }
        return s;
    }

    QString andExpr() {
        QString s = unary();
        while (m_tok.kind == Tok::And) {
            advance();
            s = QStringLiteral("(%1 AND %2)").arg(s, unary());
        }
        return s;
    }

    QString unary() {
        if (m_tok.kind == Tok::Not) {
            advance();
            return QStringLiteral("(NOT ifnull(%1, 0))").arg(unary());
        }
        if (m_tok.kind == Tok::LParen) {
            advance();
            QString s = orExpr();
            if (m_tok.kind != Tok::RParen) {
                m_lex.fail(m_tok.pos, QStringLiteral("a closing parenthesis is missing"));
            }
            advance();
            return s;
        }
        return comparison();
    }

    Operand operand() {
        Operand o;
        switch (m_tok.kind) {
            case Tok::Name: {
                for (const FilterField& f : m_fields) {
                    if (f.name.compare(m_tok.text, Qt::CaseInsensitive) == 0) {
                        o.field = &f;
                        break;
                    }
                }
                if (!o.field) {
                    throw Error(QStringLiteral("Field '%1' not found").arg(m_tok.text));
                }
                break;
            }
            case Tok::Literal:
                o.literal = m_tok.text;
                break;
            case Tok::Number:
                o.literal = m_tok.text;
                o.isNumber = true;
                break;
            default:
                m_lex.fail(m_tok.pos, QStringLiteral("a field name or a value is expected"));
        }
        advance();
        return o;
    }

    QString placeholder(const QVariant& v) {
        m_params.append(v);
        return QStringLiteral("?");
    }

    // A side of a comparison as SQL; text fields read null as empty, as everywhere else.
    static QString columnExpr(const FilterField& f) {
        if (f.type == FieldType::String || f.type == FieldType::Memo) {
            return QStringLiteral("ifnull(%1,'')").arg(f.column);
        }
        return f.column;
    }

    QString comparison() {
        const int startPos = m_tok.pos;
        Operand lhs = operand();
        if (m_tok.kind != Tok::Op) {
            m_lex.fail(m_tok.pos, QStringLiteral("a comparison operator is expected"));
        }
        QString op = m_tok.text;
        advance();
        Operand rhs = operand();
        if (!lhs.field && !rhs.field) {
            m_lex.fail(startPos, QStringLiteral("a comparison needs a field"));
        }
        if (!lhs.field) {
            std::swap(lhs, rhs);
            op = op == QLatin1String("<")    ? QStringLiteral(">")
                 : op == QLatin1String(">")  ? QStringLiteral("<")
                 : op == QLatin1String("<=") ? QStringLiteral(">=")
                 : op == QLatin1String(">=") ? QStringLiteral("<=")
                                             : op;
        }
        const QString sqlOp = op == QLatin1String("<>") ? QStringLiteral("IS NOT") : op;
        if (rhs.field) {
            return QStringLiteral("(%1 %2 %3)")
                .arg(columnExpr(*lhs.field), sqlOp, columnExpr(*rhs.field));
        }
        const FilterField& f = *lhs.field;
        const bool textual = f.type == FieldType::String || f.type == FieldType::Memo;
        if (!textual && rhs.literal.trimmed().isEmpty()) {
            // A blank literal stands for an empty field.
            if (op == QLatin1String("=")) {
                return QStringLiteral("(%1 IS NULL)").arg(f.column);
            }
            if (op == QLatin1String("<>")) {
                return QStringLiteral("(%1 IS NOT NULL)").arg(f.column);
            }
            return QStringLiteral("0");
        }
        QVariant value;
        if (textual) {
            value = rhs.literal;
        } else {
            value = detail::toSql(f.type, detail::parseText(f.type, f.name, rhs.literal));
        }
        if (op == QLatin1String("<>")) {
            return QStringLiteral("(%1 IS NOT %2)").arg(columnExpr(f), placeholder(value));
        }
        return QStringLiteral("(%1 %2 %3)").arg(columnExpr(f), op, placeholder(value));
    }

    Lexer m_lex;
    const QList<FilterField>& m_fields;
    Token m_tok;
    QVariantList m_params;
};

}  // namespace

FilterSql parseFilter(const QString& text, const QList<FilterField>& fields) {
    return Parser(text, fields).run();
}

}  // namespace store
