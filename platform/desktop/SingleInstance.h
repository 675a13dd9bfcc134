#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

// One running instance per executable name, and the two requests a later start can make of it.
//
// The running instance holds an exclusive lock (flock) on "<name>.lock" from its start; the
// kernel drops the lock when the process ends, however it ends. Once its main window has
// finished initialising it publishes a local socket "<name>.socket" beside the lock, served on a
// thread of its own, and withdraws it when the window goes. Both live in a folder private to
// the user (mode 0700; the socket 0600): $XDG_RUNTIME_DIR/Kavrin-DireZerud, or
// /tmp/Kavrin-DireZerud-<uid> when $XDG_RUNTIME_DIR is not usable.
//
// A later start that finds the lock held connects to the socket and sends one line, "exit" or
// "activate", and waits a bounded time for the one-line answer "ok" (or "no" when the running
// instance refused); then it quits. After "exit" it also waits, bounded, until the running
// instance has ended (released the lock), so that a start right after it is the only instance.
// No socket to connect to (the running instance is still initialising, or its window is gone)
// means: quit without any effect on it.
namespace desktop {

struct StartSwitches {
  bool exit = false;    // "exit": make a running instance quit, and quit
  bool silent = false;  // "/s": start with the main window hidden
};

// The text after the program name: the arguments joined with single spaces.
std::string CommandLineText(int argc, const char* const* argv);

// The switches of a command line: its text is lower-cased, and each switch counts wherever it
// occurs in it, also inside a longer word or a path.
StartSwitches ParseStartSwitches(std::string_view commandLine);

enum class StartAction {
  Run,           // no other instance: start; the window shows as its initialisation decides
  RunHidden,     // no other instance: start with the window hidden
  Quit,          // end at once, nothing done
  SendExit,      // another instance runs: ask it to exit, then quit
  SendActivate,  // another instance runs: ask it to raise its window, then quit
};

// What a start does: "exit" wins over "/s", and a running instance that has not published its
// socket yet is left alone.
StartAction DecideStart(bool peerRunning, bool peerPublished, const StartSwitches& switches);

enum class InstanceRequest { Exit, Activate };
enum class InstanceCommand {
  None,   // nothing to do
  Exit,   // quit as the tray's Exit does
  Raise,  // restore, show and bring the main window forward
};

// What the running instance does with a request: it raises its window only while its mouse is
// the expected one ("IsMyDeivce").
InstanceCommand DecideRequest(InstanceRequest request, bool isMyDevice);

// The executable's file name without folder and extension.
std::string ExecutableBaseName();

// The folder of the lock and the socket (see above); empty when there is none.
std::string DefaultInstanceFolder();

class SingleInstance {
 public:
  struct Options {
    std::string folder;              // empty: DefaultInstanceFolder()
    uint32_t answerTimeoutMs = 3000;  // how long a later start waits for its answer
    uint32_t exitWaitMs = 10000;      // how long "exit" waits for the running instance to end
  };

  enum class SendResult {
    Answered,      // the running instance took the request on
    Refused,       // it answered "no"
    NotPublished,  // no socket to connect to
    NoAnswer,      // no answer within the time-out (a hung or dying instance)
  };

  struct StartOutcome {
    StartAction action = StartAction::Run;
    SendResult sent = SendResult::NotPublished;  // for SendExit and SendActivate
    bool peerEnded = false;  // for SendExit: the running instance released the lock in time
    bool Runs() const { return action == StartAction::Run || action == StartAction::RunHidden; }
    // "exit" was sent, but the running instance refused it or has not ended.
    bool ExitFailed() const { return action == StartAction::SendExit && !peerEnded; }
  };

  // Runs on the server thread for a command the running instance must carry out. It must not
  // wait for the user-interface thread: it hands the command over (posts it) and returns true,
  // and the answer goes out after it returns. False answers "no".
  using CommandHandler = std::function<bool(InstanceCommand)>;

  explicit SingleInstance(std::string name, Options options);
  explicit SingleInstance(std::string name) : SingleInstance(std::move(name), Options()) {}
  // Withdraws the socket and releases the lock.
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // The start-up step: takes the lock when no other instance holds it; otherwise sends the
  // request the command line asks for and waits for the answer, and after "exit" for the
  // running instance to end; an "exit" that does not end it is told on standard error. When the
  // lock cannot be had for another reason (no private folder), this process runs without the
  // single-instance guard, with a line on standard error.
  StartOutcome Start(std::string_view commandLine);

  // Whether this object holds the lock.
  bool HoldsLock() const { return lockFd_ >= 0; }

  // Publishes the socket (an old one left by a dead instance is replaced) and serves it until
  // Unpublish. Only the lock holder publishes. True when it is being served.
  bool Publish(CommandHandler handler);
  // Withdraws the socket; returns once the server thread has ended, so an answer under way is
  // sent first. Call it before the process ends on the Exit path.
  void Unpublish();
  bool Published() const { return server_.joinable(); }

  // The "IsMyDeivce" flag that an "activate" request looks at.
  void SetDeviceFlag(bool isMyDevice) { deviceFlag_ = isMyDevice; }

  // Sends one request to the instance that publishes the socket, and waits for its answer.
  SendResult Send(InstanceRequest request);

  std::string LockPath() const;
  std::string SocketPath() const;

 private:
  // Makes the private folder; false (with a line on standard error) when it is not safe.
  bool EnsureFolder();
  // True once no process holds the lock any more, within exitWaitMs.
  bool WaitForRelease() const;
  void Serve();
  void HandleConnection(int fd);

  std::string name_;
  std::string folder_;
  uint32_t answerTimeoutMs_;
  uint32_t exitWaitMs_;
  int lockFd_ = -1;
  int listenFd_ = -1;
  int wakeFd_ = -1;
  std::thread server_;
  CommandHandler handler_;
  std::atomic<bool> deviceFlag_{false};
};

}  // namespace desktop
