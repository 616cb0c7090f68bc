#include "dialogs/tip_box.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>

#include "view/text_drawing.h"

namespace plinkora {

namespace {

// The box is laid out on a grid of two pixels, in the proportions of the classic tip box.
QRect Units(int x, int y, int width, int height) {
    return {2 * x, 2 * y, 2 * width, 2 * height};
}

QString TipForDisplay(std::string_view tip) {
    // The file holds CR LF line breaks; a text box wants plain line feeds.
    return QString::fromLocal8Bit(tip.data(), qsizetype(tip.size()))
        .replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

}  // namespace

TipBox::TipBox(TipState& state, std::string logName, QWidget* owner)
    : QDialog(owner), rules_(state, std::move(logName)) {
    setWindowTitle(QStringLiteral("Tip of the Day"));
    setFixedSize(Units(0, 0, 210, 116).size());

    text_ = new QPlainTextEdit(this);
    text_->setReadOnly(true);
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_->setFont(CreateFontByPoints(*this, kTextFace, 120, 0));
    text_->setGeometry(Units(7, 7, 196, 79));
    text_->setAccessibleName(QStringLiteral("Tip"));

    showAtStartup_ = new QCheckBox(QStringLiteral("&Show tips at startup"), this);
    showAtStartup_->setGeometry(Units(7, 99, 80, 10));
    next_ = new QPushButton(QStringLiteral("&Next Tip"), this);
    next_->setGeometry(Units(98, 95, 50, 14));
    next_->setAutoDefault(false);
    close_ = new QPushButton(QStringLiteral("&Close"), this);
    close_->setGeometry(Units(153, 95, 50, 14));
    close_->setDefault(true);

    connect(next_, &QPushButton::clicked, this, [this] { Show(rules_.NextTip()); });
    connect(showAtStartup_, &QCheckBox::clicked, this, [this] { rules_.ToggleShowAtStartup(); });
    connect(close_, &QPushButton::clicked, this, &TipBox::reject);
}

void TipBox::Run() {
    Show(rules_.Open());
    if (ended_) {
        return;
    }
    showAtStartup_->setChecked(rules_.ShowAtStartup());
    close_->setFocus();
    exec();
}

QString TipBox::ShownText() const {
    return text_->toPlainText();
}

void TipBox::reject() {
    if (!ended_) {
        rules_.Close();
        ended_ = true;
    }
    done(0);
}

void TipBox::Show(std::optional<std::string_view> tip) {
    if (!tip) {
        ended_ = true;  // the rules have already closed the box and moved past the tip
        done(0);
        return;
    }
    text_->setPlainText(TipForDisplay(*tip));
}

}  // namespace plinkora
