#pragma once
// Only one copy of the program runs per user: the first start holds an
// exclusive lock file, later starts find it held and give up. A lock left by a
// run that crashed is taken over, so a crash never blocks the next start.

#include <QString>

#include <memory>
#include <string_view>

class QLockFile;

namespace wavix {

inline constexpr std::string_view kInstanceLockName = "VexWavix Mutex";
inline constexpr std::string_view kInstanceRunningText = "Aplikace Vex Wavix je již spuštěna!";
inline constexpr std::string_view kInstanceRunningCaption = "Vex Wavix";

class CSingleInstance {
public:
    // The lock file lives in folder; by default the user's runtime folder, or
    // the temporary folder where there is none.
    explicit CSingleInstance(const QString& folder = {},
                             const QString& name = QString::fromUtf8(kInstanceLockName));
    ~CSingleInstance();
    CSingleInstance(const CSingleInstance&) = delete;
    CSingleInstance& operator=(const CSingleInstance&) = delete;

    // True when this object holds the lock (now or already); never waits.
    bool TryLock();
    void Unlock();
    bool IsLocked() const;

    const QString& LockFilePath() const { return path_; }

private:
    QString path_;
    std::unique_ptr<QLockFile> lock_;
};

} // namespace wavix
