#include "dialogs/about_box_accessible.h"

#include <QAccessible>
#include <QAccessibleWidget>

#include "dialogs/about_box.h"
#include "view/painted_accessible.h"

namespace plinkora {

namespace {

// A painted part of the box: the title, or a link when index is not negative.
class PaintedAboutPart final : public PaintedAccessible, public QAccessibleActionInterface {
  public:
    PaintedAboutPart(AboutBox& box, QAccessibleInterface* parent, int link)
        : PaintedAccessible(box, parent), box_(box), link_(link) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) {
            return IsLink() ? AboutBox::Link(link_).text : QStringLiteral("PLINKORA");
        }
        if (t == QAccessible::Description && IsLink()) {
            return AboutBox::Link(link_).target;
        }
        return {};
    }
    QRect rect() const override {
        return OnScreen(IsLink() ? AboutBox::Link(link_).area : AboutBox::TitleArea());
    }
    QAccessible::Role role() const override {
        return IsLink() ? QAccessible::Link : QAccessible::StaticText;
    }
    QAccessible::State state() const override {
        QAccessible::State state = PaintedAccessible::state();
        state.linked = IsLink();
        state.traversed = IsLink() && AboutBox::LinkVisited(link_);
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface && IsLink()
                   ? static_cast<QAccessibleActionInterface*>(this)
                   : nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (action == pressAction()) {
            box_.Follow(link_);
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

  private:
    bool IsLink() const { return link_ >= 0; }

    AboutBox& box_;
    int link_;
};

// The box's own widgets first, then the title and the links in the order they are painted.
class AboutBoxAccessible final : public QAccessibleWidget {
  public:
    explicit AboutBoxAccessible(AboutBox* box) : QAccessibleWidget(box, QAccessible::Dialog) {
        for (int part = 0; part <= AboutBox::kLinkCount; ++part) {
            parts_.push_back(new PaintedAboutPart(*box, this, part - 1));
            QAccessible::registerAccessibleInterface(parts_.back());
        }
    }
    ~AboutBoxAccessible() override {
        for (PaintedAboutPart* part : parts_) {
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(part));
        }
    }

    int childCount() const override {
        return QAccessibleWidget::childCount() + static_cast<int>(parts_.size());
    }
    QAccessibleInterface* child(int index) const override {
        const int widgets = QAccessibleWidget::childCount();
        if (index < widgets) {
            return QAccessibleWidget::child(index);
        }
        return index - widgets < static_cast<int>(parts_.size()) ? parts_[index - widgets]
                                                                 : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (size_t i = 0; i < parts_.size(); ++i) {
            if (parts_[i] == child) {
                return QAccessibleWidget::childCount() + static_cast<int>(i);
            }
        }
        return QAccessibleWidget::indexOfChild(child);
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        for (PaintedAboutPart* part : parts_) {
            if (part->rect().contains(x, y)) {
                return part;
            }
        }
        return QAccessibleWidget::childAt(x, y);
    }

  private:
    std::vector<PaintedAboutPart*> parts_;
};

QAccessibleInterface* CreateAboutBoxAccessible(const QString&, QObject* object) {
    if (auto* box = qobject_cast<AboutBox*>(object)) {
        return new AboutBoxAccessible(box);
    }
    return nullptr;
}

}  // namespace

void InstallAboutBoxAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(CreateAboutBoxAccessible);
        return true;
    }();
    (void)installed;
}

}  // namespace plinkora
