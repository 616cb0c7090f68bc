#pragma once

#include <QDialog>
#include <QTimer>

namespace plinkora {

// The program's picture, shown modally while the main window is being made. It ends after
// 1.2 seconds or at the first click on it, whichever comes first.
class SplashDialog : public QDialog {
    Q_OBJECT

  public:
    static constexpr int kShowMilliseconds = 1200;

    explicit SplashDialog(QWidget* owner = nullptr);

  protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    void End();

    QTimer timer_;
};

}  // namespace plinkora
