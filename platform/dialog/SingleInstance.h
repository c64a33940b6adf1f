// One running instance per program name (and, where the system has users' own namespaces,
// per user). The first start claims the name until the process ends; a later start asks the
// running one to bring its window, found by its exact title, to the foreground, and ends.
#pragma once

#include <memory>
#include <string>

namespace tern::platform {

class SingleInstanceState;  // the backend's

class SingleInstance {
public:
    enum class Claim { First, Second, Unavailable };

    explicit SingleInstance(const std::string& programName);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // First: this process is now the one instance (and stays so until it ends). Second:
    // another process holds the name. Unavailable: the rule cannot be kept here (see
    // Problem()); the program then runs on its own rather than lock its user out.
    Claim ClaimName();
    const std::string& Problem() const;

    // From a later start: brings the running instance's top-level window whose title is
    // exactly `windowTitle` to the foreground. False when none is found.
    bool AskToRaise(const std::string& windowTitle);

    SingleInstanceState& State() { return *m_state; }

private:
    std::unique_ptr<SingleInstanceState> m_state;
};

}  // namespace tern::platform
