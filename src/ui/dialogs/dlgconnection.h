#pragma once
// The tester's address and port, typed by the user: "Připojit" accepts them only
// when they can be used and says in the dialog what is wrong otherwise.

#include <QDialog>

#include <cstdint>
#include <filesystem>
#include <string>

class QLabel;
class QLineEdit;

namespace wavix {

class CDlgConnection : public QDialog {
    Q_OBJECT

public:
    // An empty langFile keeps the built-in texts.
    CDlgConnection(const std::filesystem::path& langFile, const std::string& address, std::uint16_t port,
                   QWidget* parent = nullptr);

    // Valid after Accepted.
    const std::string& Address() const { return address_; }
    std::uint16_t Port() const { return port_; }

    void accept() override;

private:
    QLineEdit* addressEdit_ = nullptr;
    QLineEdit* portEdit_ = nullptr;
    QLabel* fault_ = nullptr;
    std::string badAddress_;
    std::string badPort_;
    std::string address_;
    std::uint16_t port_ = 0;
};

} // namespace wavix
