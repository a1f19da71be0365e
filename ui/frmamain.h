#pragma once

#include "funzioni.h"
#include "message.h"
#include "variabili.h"

#include <QWidget>

#include <array>
#include <functional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace ruvento {

// The one window of the program: the base row, the number mass and the
// number of rows on the left, the developed rows on the right.
class frmAmain : public QWidget
{
    Q_OBJECT

public:
    // The tag of a report's name for the moment of saving.
    using TimeTagSource = std::function<QString()>;

    explicit frmAmain(
        MessageSeam &messages, QString applicationPath = ApplicationPath(),
        TimeTagSource timeTag = [] { return Funzioni::ReportTimeTag(); }, QWidget *parent = nullptr);

    // The controls under their names; key boxes by index 1..10.
    [[nodiscard]] QLineEdit *txtChiave(int index) const;
    [[nodiscard]] QLineEdit *txtNumeri() const { return m_txtNumeri; }
    [[nodiscard]] QLineEdit *txtCombinazioni() const { return m_txtCombinazioni; }
    [[nodiscard]] QPlainTextEdit *txtLista() const { return m_txtLista; }
    [[nodiscard]] QPushButton *cmdElabora() const { return m_cmdElabora; }
    [[nodiscard]] QPushButton *cmdClearReport() const { return m_cmdClearReport; }
    [[nodiscard]] QPushButton *cmdSalvaReport() const { return m_cmdSalvaReport; }

    [[nodiscard]] const VARIABILI &state() const { return m_state; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private Q_SLOTS:
    void cmdElabora_Click();
    void cmdClearReport_Click();
    void cmdSalvaReport_Click();

private:
    void buildControls();
    // Each picture in the detail of the screen the window is on.
    void showPictures();
    void placeOnScreen();

    // A typed character's code, replaced by 0 to discard it.
    void txtNumeri_KeyPress(int &KeyAscii);
    void txtCombinazioni_KeyPress(int &KeyAscii);
    void txtChiave_KeyPress(int Index, int &KeyAscii);
    void txtChiave_GotFocus(int Index);

    // 1..10 for a key box, else 0.
    [[nodiscard]] int chiaveIndexOf(const QObject *object) const;

    MessageSeam &m_messages;
    QString m_applicationPath;
    TimeTagSource m_timeTag;
    VARIABILI m_state;

    std::array<QLineEdit *, 10> m_txtChiave{};
    QLineEdit *m_txtNumeri = nullptr;
    QLineEdit *m_txtCombinazioni = nullptr;
    QPlainTextEdit *m_txtLista = nullptr;
    QPushButton *m_cmdElabora = nullptr;
    QPushButton *m_cmdClearReport = nullptr;
    QPushButton *m_cmdSalvaReport = nullptr;
    bool m_placed = false;
    // The key box whose focus a context menu or another window has taken for a while, else 0.
    int m_focusLentBy = 0;
};

} // namespace ruvento
