#pragma once
// The one way to work off the window's thread: work that may wait on another process (a
// browser that stops answering, a disk) runs on a worker thread in a single-threaded
// apartment of its own, and its outcome comes back to the thread that started it through
// that thread's dispatcher, as a completion with a typed result. Starting returns at once;
// nobody waits. A work may have a bound: when it has not ended within it, the completion runs
// with no result, and the worker releases the result itself once the work ends. An owner that
// abandons its work (or is destroyed) is never called back; the worker releases what the work
// made, in its apartment.
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

class CBoundedWorkBase {
 public:
  // Who holds the work's result: nobody yet, the owner may take it, the owner took it, or
  // the owner let go (the worker releases it).
  enum class State : LONG { Running, Finished, HandedOver, Abandoned };

  CBoundedWorkBase(const CBoundedWorkBase&) = delete;
  CBoundedWorkBase& operator=(const CBoundedWorkBase&) = delete;

  State GetState() const;
  // Started, and neither finished nor abandoned.
  bool IsRunning() const { return m_shared && GetState() == State::Running; }
  // The owner lets go: no completion runs, and the result, now or once the work ends, is
  // released on the worker.
  void Abandon();
  // As Abandon, and `afterRelease` runs on this thread, through its dispatcher, once the
  // worker has released the result (for what the owner must keep until the peer has
  // answered, such as its own proxy of the same object).
  void LetGo(std::function<void()> afterRelease);

  // For a worker thread that started works of its own (never the window's thread): waits
  // until this work has finished, serving its apartment's calls meanwhile, at most
  // `timeoutMs`. True when its result is there to be taken.
  bool Join(DWORD timeoutMs);

  // At the program's end, after its message loop: dispatches messages until every work
  // started in this process has ended or `timeoutMs` has passed. True when none is left.
  static bool WaitForOutstanding(DWORD timeoutMs);
  static LONG Outstanding();

  struct Shared;

 protected:
  CBoundedWorkBase() = default;
  ~CBoundedWorkBase();  // abandons

  // Starts `run` on a worker thread (abandoning a work started before). `release` runs there
  // when the result is not handed over; `completion`, if any, on this thread once the work
  // has finished or, with `timedOut`, once `limitMs` have passed first (INFINITE: no bound),
  // unless abandoned before. False when no thread could be started: nothing ran.
  bool Launch(std::function<void()> run, std::function<void()> release,
              std::function<void(bool timedOut)> completion, DWORD limitMs);
  // Runs `take` if the result is there and not taken nor abandoned; true then.
  bool HandOver(const std::function<void()>& take);

 private:
  std::shared_ptr<Shared> m_shared;
};

// The typed face: a work returning `Result`.
template <typename Result>
class CBoundedWork : public CBoundedWorkBase {
 public:
  using Work = std::function<Result()>;
  // Lets go of a result nobody took, on the worker, in its apartment.
  using Release = std::function<void(Result&)>;
  // The result, or nothing when the bound ran out first (the owner then abandons the work or
  // lets it go).
  using Done = std::function<void(std::optional<Result>)>;

  CBoundedWork() = default;

  bool Start(Work work, Release release = nullptr, Done done = nullptr, DWORD limitMs = INFINITE) {
    auto slot = std::make_shared<std::optional<Result>>();
    m_result = slot;
    std::function<void(bool)> completion;
    if (done)
      completion = [this, done = std::move(done)](bool timedOut) {
        done(timedOut ? std::nullopt : Take());
      };
    return Launch([slot, work = std::move(work)] { slot->emplace(work()); },
                  [slot, release = std::move(release)] {
                    if (release && slot->has_value()) release(**slot);
                    slot->reset();
                  },
                  std::move(completion), limitMs);
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
