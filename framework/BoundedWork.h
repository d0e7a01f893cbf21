#pragma once
// Work that may wait on another process (a browser that stops answering), run on a thread of
// its own in a single-threaded apartment of its own, so that the caller waits for it only as
// long as it chooses. The result is handed over to the caller at most once; when the caller
// stopped waiting, went or is closing, the worker releases the result itself, in its apartment.
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

class CBoundedWorkBase {
 public:
  // Who holds the work's result: nobody yet, the caller may take it, the caller took it, or
  // the caller let go (the worker releases it).
  enum class State : LONG { Running, Finished, HandedOver, Abandoned };

  CBoundedWorkBase(const CBoundedWorkBase&) = delete;
  CBoundedWorkBase& operator=(const CBoundedWorkBase&) = delete;

  State GetState() const;
  // Started, and neither finished nor abandoned.
  bool IsRunning() const { return m_shared && GetState() == State::Running; }
  // Dispatches this thread's messages until the work has finished, it has been abandoned or
  // the wait stopped (by a message handled meanwhile), `timeoutMs` has passed or a quit
  // message came. True when the result is there to be taken.
  bool Wait(DWORD timeoutMs);
  // Ends a Wait under way on this thread (called from a message it dispatches); the work and
  // its result stay, to be taken or let go.
  void StopWaiting() { m_stopWaiting = true; }
  // The caller lets go: no completion runs, and the result, now or once the work ends, is
  // released on the worker.
  void Abandon();
  // As Abandon, and `afterRelease` runs on this thread at the next safe point once the worker
  // has released the result (for what the caller must keep until the peer has answered).
  void LetGo(std::function<void()> afterRelease);

  // Dispatches this thread's messages until `handle` is signalled, `stop()` holds after a
  // message, or `timeoutMs` has passed; true when signalled. A quit message ends the wait and
  // is posted again for the loop it was meant for.
  static bool WaitPumping(HANDLE handle, DWORD timeoutMs, const std::function<bool()>& stop = nullptr);
  // Waits, dispatching messages, until every work started in this process has ended or
  // `timeoutMs` has passed. True when none is left.
  static bool WaitForOutstanding(DWORD timeoutMs);
  static LONG Outstanding();

  // Marks this thread as serving a call from another process (a browser's event). A
  // completion that falls due meanwhile, also from a modal loop run inside the call, runs
  // once the outermost such call has returned.
  class IncomingCall {
   public:
    IncomingCall();
    ~IncomingCall();
    IncomingCall(const IncomingCall&) = delete;
    IncomingCall& operator=(const IncomingCall&) = delete;
  };

  struct Shared;

 protected:
  CBoundedWorkBase() = default;
  ~CBoundedWorkBase();  // abandons

  // Starts `run` on a worker thread (abandoning a work started before). `release` runs there
  // when the result is not handed over; `completion`, if any, on this thread at the next safe
  // point once the work has finished, unless abandoned before. False when no thread could be
  // started: nothing ran.
  bool Launch(std::function<void()> run, std::function<void()> release, std::function<void()> completion);
  // Runs `take` if the result is there and not taken nor abandoned; true then.
  bool HandOver(const std::function<void()>& take);

 private:
  std::shared_ptr<Shared> m_shared;
  bool m_stopWaiting = false;
};

// The typed face: a work returning `Result`.
template <typename Result>
class CBoundedWork : public CBoundedWorkBase {
 public:
  using Work = std::function<Result()>;
  // Lets go of a result nobody took, on the worker, in its apartment.
  using Release = std::function<void(Result&)>;

  CBoundedWork() = default;

  bool Start(Work work, Release release = nullptr, std::function<void()> completion = nullptr) {
    auto slot = std::make_shared<std::optional<Result>>();
    m_result = slot;
    return Launch([slot, work = std::move(work)] { slot->emplace(work()); },
                  [slot, release = std::move(release)] {
                    if (release && slot->has_value()) release(**slot);
                    slot->reset();
                  },
                  std::move(completion));
  }

  // The result, once: when the work has finished and nobody has let go of it.
  std::optional<Result> Take() {
    std::optional<Result> taken;
    HandOver([this, &taken] {
      taken = std::move(*m_result);
      m_result->reset();
    });
    return taken;
  }

 private:
  std::shared_ptr<std::optional<Result>> m_result;
};
