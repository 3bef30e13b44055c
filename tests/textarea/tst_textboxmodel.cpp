// SPDX-License-Identifier: GPL-3.0-or-later
#include "textarea/TextBox.h"

#include <QApplication>
#include <QRandomGenerator>
#include <QTest>

#include <vector>

// Random edits on the text area and on a plain QString that states the rules, compared after
// every step: the text, the caret and the selection.
class TextBoxModelTest : public QObject
{
    Q_OBJECT

private slots:
    void followsThePlainModel_data();
    void followsThePlainModel();
};

namespace {

const QStringList Pieces = {
    QStringLiteral("a"),  QStringLiteral("ż"),  QStringLiteral(" "),    QStringLiteral("😀"),
    QStringLiteral("\r"), QStringLiteral("\n"), QStringLiteral("\r\n"), QStringLiteral("\t"),
    QStringLiteral("Ł"),  QStringLiteral("x"),
};
const QStringList Typed
    = {QStringLiteral("a"), QStringLiteral("ż"), QStringLiteral(" "), QStringLiteral("😀")};

// The text, the selection and the earlier texts Undo may return to.
struct Model
{
    QString text;
    qsizetype anchor = 0;
    qsizetype caret = 0;
    std::vector<QString> earlier;

    qsizetype from() const { return std::min(anchor, caret); }
    qsizetype to() const { return std::max(anchor, caret); }

    bool splitsPair(qsizetype position) const
    {
        return position > 0 && position < text.size()
               && ((text[position - 1] == u'\r' && text[position] == u'\n')
                   || (text[position - 1].isHighSurrogate() && text[position].isLowSurrogate()));
    }
    bool isLineEnd(qsizetype position) const
    {
        return text[position] == u'\r' || text[position] == u'\n';
    }
    qsizetype next(qsizetype position) const
    {
        if (position >= text.size())
            return position;
        return splitsPair(position + 1) ? position + 2 : position + 1;
    }
    qsizetype previous(qsizetype position) const
    {
        if (position <= 0)
            return 0;
        return splitsPair(position - 1) ? position - 2 : position - 1;
    }
    qsizetype lineStart(qsizetype position) const
    {
        while (position > 0 && !isLineEnd(position - 1))
            --position;
        return position;
    }
    qsizetype lineEnd(qsizetype position) const
    {
        while (position < text.size() && !isLineEnd(position))
            ++position;
        return position;
    }
    void replace(qsizetype start, qsizetype end, const QString &with)
    {
        earlier.push_back(text);
        text.replace(start, end - start, with);
        anchor = caret = start + with.size();
        if (splitsPair(caret) && text[caret - 1] == u'\r')
            anchor = ++caret;
    }
};

QString randomText(QRandomGenerator &random, int pieces)
{
    QString text;
    for (int piece = random.bounded(pieces + 1); piece > 0; --piece)
        text += Pieces.at(random.bounded(Pieces.size()));
    return text;
}

void type(QWidget *widget, const QString &text)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &press);
}

} // namespace

void TextBoxModelTest::followsThePlainModel_data()
{
    QTest::addColumn<quint32>("seed");
    for (const quint32 seed : {1u, 2u, 3u, 20261207u, 4242u})
        QTest::addRow("seed %u", seed) << seed;
}

void TextBoxModelTest::followsThePlainModel()
{
    QFETCH(quint32, seed);
    QRandomGenerator random(seed);
    TextBox box;
    Model model;
    box.setInitialText(QString());

    for (int step = 0; step < 600; ++step) {
        QString done;
        switch (random.bounded(10)) {
        case 0: {
            const QString text = randomText(random, 12);
            done = u"set text"_qs;
            box.SetText(text);
            model.earlier.push_back(model.text);
            model.text = text;
            model.anchor = model.caret = 0;
            break;
        }
        case 1: {
            const QString text = randomText(random, 3);
            done = u"set selected text"_qs;
            box.SetSelText(text);
            model.replace(model.from(), model.to(), text);
            break;
        }
        case 2: {
            const qsizetype start = random.bounded(int(model.text.size()) + 2);
            const int length = random.bounded(int(model.text.size()) + 2);
            done = QStringLiteral("select %1+%2").arg(start).arg(length);
            box.SetSelStart(int(start));
            box.SetSelLength(length);
            qsizetype from = std::min(start, model.text.size());
            if (model.splitsPair(from) && model.text[from - 1] == u'\r')
                --from;
            qsizetype to = std::min(from + length, model.text.size());
            if (model.splitsPair(to) && model.text[to - 1] == u'\r')
                ++to;
            model.anchor = from;
            model.caret = to;
            break;
        }
        case 3:
        case 4: {
            const QString typed = Typed.at(random.bounded(Typed.size()));
            done = u"type "_qs + typed;
            type(&box, typed);
            model.replace(model.from(), model.to(), typed);
            break;
        }
        case 5:
            done = u"Enter"_qs;
            QTest::keyClick(&box, Qt::Key_Return);
            model.replace(model.from(), model.to(), u"\r\n"_qs);
            break;
        case 6:
            done = u"Backspace"_qs;
            QTest::keyClick(&box, Qt::Key_Backspace);
            if (model.from() != model.to())
                model.replace(model.from(), model.to(), QString());
            else if (model.caret > 0)
                model.replace(model.previous(model.caret), model.caret, QString());
            break;
        case 7:
            done = u"Delete"_qs;
            QTest::keyClick(&box, Qt::Key_Delete);
            if (model.from() != model.to())
                model.replace(model.from(), model.to(), QString());
            else if (model.caret < model.text.size())
                model.replace(model.caret, model.next(model.caret), QString());
            break;
        case 8: {
            const bool extend = random.bounded(2) == 1;
            const Qt::KeyboardModifiers modifiers = extend ? Qt::ShiftModifier : Qt::NoModifier;
            qsizetype target = 0;
            switch (random.bounded(4)) {
            case 0:
                done = u"Left"_qs;
                QTest::keyClick(&box, Qt::Key_Left, modifiers);
                target = extend || model.from() == model.to() ? model.previous(model.caret)
                                                              : model.from();
                break;
            case 1:
                done = u"Right"_qs;
                QTest::keyClick(&box, Qt::Key_Right, modifiers);
                target
                    = extend || model.from() == model.to() ? model.next(model.caret) : model.to();
                break;
            case 2:
                done = u"Home"_qs;
                QTest::keyClick(&box, Qt::Key_Home, modifiers);
                target = model.lineStart(model.caret);
                break;
            default:
                done = u"End"_qs;
                QTest::keyClick(&box, Qt::Key_End, modifiers);
                target = model.lineEnd(model.caret);
                break;
            }
            if (extend)
                done += u" with Shift"_qs;
            model.caret = target;
            if (!extend)
                model.anchor = target;
            break;
        }
        default: {
            done = u"undo"_qs;
            const QString before = box.Text();
            box.undo();
            // Undo goes back to one of the texts the model had, typing grouped or not.
            const auto found = std::find(model.earlier.rbegin(), model.earlier.rend(), box.Text());
            if (box.Text() != before) {
                QVERIFY2(
                    found != model.earlier.rend(),
                    qPrintable(QStringLiteral("step %1: undo gave a text never had").arg(step)));
                model.earlier.erase(std::prev(found.base()), model.earlier.end());
            }
            model.text = box.Text();
            model.anchor = box.anchorPosition();
            model.caret = box.caretPosition();
            break;
        }
        }
        const QString where = QStringLiteral("step %1 (%2)").arg(step).arg(done);
        QVERIFY2(box.Text() == model.text, qPrintable(where + u": text"_qs));
        QVERIFY2(box.caretPosition() == model.caret, qPrintable(where + u": caret"_qs));
        QVERIFY2(box.anchorPosition() == model.anchor, qPrintable(where + u": anchor"_qs));
        QVERIFY2(box.SelText() == model.text.mid(model.from(), model.to() - model.from()),
                 qPrintable(where + u": selected text"_qs));
        QVERIFY2(box.buffer().lineCount()
                     == 1 + model.text.count(u"\r\n"_qs) + model.text.count(u'\r')
                            + model.text.count(u'\n') - 2 * model.text.count(u"\r\n"_qs),
                 qPrintable(where + u": lines"_qs));
    }
}

QTEST_MAIN(TextBoxModelTest)
#include "tst_textboxmodel.moc"
