// The task service under Wine: tasks reach the UI thread in order, refusals, discards and the reaper.
#include <SRService.h>

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

// Pumps the calling thread's messages the way a modal loop does (GetMessage, Dispatch) until the
// condition holds or the time is up. A thread timer of its own keeps GetMessage from sleeping
// past the deadline. Returns the condition's last value.
bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000)
{
    UINT_PTR tick = SetTimer(nullptr, 0, 10, nullptr);
    DWORD start = GetTickCount();
    bool result = done();
    while (!result && GetTickCount() - start < timeoutMs) {
        MSG message;
        if (GetMessageW(&message, nullptr, 0, 0) <= 0)
            break;
        TranslateMessage(&message);
        DispatchMessageW(&message);
        result = done();
    }
    KillTimer(nullptr, tick);
    return result;
}

void pumpFor(DWORD ms)
{
    pumpUntil([] { return false; }, ms);
}

// Records what the service did with it: where and in which order it ran, or that it was discarded.
struct Journal {
    std::vector<std::string> entries;   // touched on the UI thread only
    std::vector<DWORD> threads;
    std::atomic<int> discards{0};
    std::atomic<int> destroyed{0};
};

class RecordingTask : public SRService::IRunable {
public:
    RecordingTask(Journal& journal, std::string name, std::function<void()> action = nullptr)
        : journal_(journal), name_(std::move(name)), action_(std::move(action)) {}
    ~RecordingTask() override { ++journal_.destroyed; }
    void run() override
    {
        journal_.entries.push_back(name_);
        journal_.threads.push_back(GetCurrentThreadId());
        if (action_)
            action_();
    }
    void discard() override { ++journal_.discards; }

private:
    Journal& journal_;   // not owned
    std::string name_;
    std::function<void()> action_;
};

// What a blocking notification does: the poster waits on an event for the UI thread's answer.
class AnswerTask : public SRService::IRunable {
public:
    AnswerTask() : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~AnswerTask() override { CloseHandle(event_); }
    void run() override { answer_ = 1; SetEvent(event_); }
    void discard() override { answer_ = -1; SetEvent(event_); }
    // Waits with a generous bound only so that a broken service fails the test instead of hanging it.
    bool wait() { return WaitForSingleObject(event_, 10000) == WAIT_OBJECT_0; }
    int answer() const { return answer_; }

private:
    HANDLE event_;
    std::atomic<int> answer_{0};
};

// A thread handed to the service; it sleeps, then marks that it ended.
HANDLE startSleeper(DWORD ms, std::atomic<int>& ended)
{
    struct Args {
        DWORD ms;
        std::atomic<int>* ended;
    };
    auto* args = new Args{ms, &ended};
    return CreateThread(nullptr, 0, [](void* raw) -> DWORD {
        auto* args = static_cast<Args*>(raw);
        Sleep(args->ms);
        ++*args->ended;
        delete args;
        return 0;
    }, args, 0, nullptr);
}

bool handleIsOpen(HANDLE handle)
{
    DWORD flags;
    return GetHandleInformation(handle, &flags) != 0;
}

class TaskService : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SRService::start()); }
    void TearDown() override { SRService::stop(); }
};

} // namespace

TEST_F(TaskService, TasksPostedFromAnotherThreadRunOnTheUiThreadInPostingOrder)
{
    Journal journal;
    std::atomic<int> results{0};
    std::thread poster([&] {
        for (const char* name : {"first", "second", "third"})
            results += SRService::post(std::make_shared<RecordingTask>(journal, name));
    });
    poster.join();
    EXPECT_EQ(results, 0);
    EXPECT_TRUE(journal.entries.empty()) << "tasks run only while the UI thread takes messages";

    ASSERT_TRUE(pumpUntil([&] { return journal.entries.size() == 3; }));
    pumpFor(100);
    EXPECT_EQ(journal.entries, (std::vector<std::string>{"first", "second", "third"}));
    for (DWORD thread : journal.threads)
        EXPECT_EQ(thread, GetCurrentThreadId());
    EXPECT_EQ(journal.destroyed, 3) << "the service drops its reference once a task has run";
    EXPECT_EQ(journal.discards, 0);
}

TEST_F(TaskService, ATaskPostedFromATaskRunsOnALaterMessage)
{
    Journal journal;
    auto outer = std::make_shared<RecordingTask>(journal, "outer", [&] {
        EXPECT_EQ(SRService::post(std::make_shared<RecordingTask>(journal, "inner")), 0);
        journal.entries.push_back("outer returns");
    });
    ASSERT_EQ(SRService::post(outer), 0);
    outer.reset();
    ASSERT_TRUE(pumpUntil([&] { return journal.entries.size() == 3; }));
    EXPECT_EQ(journal.entries, (std::vector<std::string>{"outer", "outer returns", "inner"}));
}

TEST_F(TaskService, TasksRunInsideALoopThatAnEarlierTaskIsPumping)
{
    Journal journal;
    auto modal = std::make_shared<RecordingTask>(journal, "modal opens", [&] {
        // Like a message box shown from a task: its own loop keeps running further tasks.
        std::thread poster([&] { SRService::post(std::make_shared<RecordingTask>(journal, "during modal")); });
        poster.join();
        pumpUntil([&] { return journal.entries.size() == 2; });
        journal.entries.push_back("modal closes");
    });
    ASSERT_EQ(SRService::post(modal), 0);
    modal.reset();
    ASSERT_TRUE(pumpUntil([&] { return journal.entries.size() == 3; }));
    EXPECT_EQ(journal.entries, (std::vector<std::string>{"modal opens", "during modal", "modal closes"}));
}

TEST_F(TaskService, TasksFromSeveralThreadsEachRunOnceInTheirThreadsOrder)
{
    constexpr int kThreads = 4, kTasks = 250;
    Journal journal;
    std::vector<std::thread> posters;
    for (int t = 0; t < kThreads; ++t) {
        posters.emplace_back([&, t] {
            for (int i = 0; i < kTasks; ++i)
                SRService::post(std::make_shared<RecordingTask>(journal, std::to_string(t) + ":" + std::to_string(i)));
        });
    }
    for (std::thread& poster : posters)
        poster.join();
    ASSERT_TRUE(pumpUntil([&] { return journal.entries.size() == kThreads * kTasks; }, 20000));
    pumpFor(50);
    ASSERT_EQ(journal.entries.size(), size_t(kThreads * kTasks));
    std::vector<int> next(kThreads, 0);
    for (const std::string& entry : journal.entries) {
        int t = std::stoi(entry.substr(0, entry.find(':')));
        int i = std::stoi(entry.substr(entry.find(':') + 1));
        EXPECT_EQ(i, next[t]) << entry;
        next[t] = i + 1;
    }
}

TEST_F(TaskService, AStrayWmNullIsHarmless)
{
    Journal journal;
    ASSERT_TRUE(PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0));
    pumpFor(100);
    EXPECT_TRUE(journal.entries.empty());

    // A stray one with tasks pending only runs a task early; each still runs once.
    ASSERT_EQ(SRService::post(std::make_shared<RecordingTask>(journal, "a")), 0);
    ASSERT_TRUE(PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0));
    ASSERT_EQ(SRService::post(std::make_shared<RecordingTask>(journal, "b")), 0);
    pumpFor(200);
    EXPECT_EQ(journal.entries, (std::vector<std::string>{"a", "b"}));
}

TEST_F(TaskService, ATaskThatThrowsDoesNotStopTheService)
{
    Journal journal;
    ASSERT_EQ(SRService::post(std::make_shared<RecordingTask>(journal, "throws", [] { throw 42; })), 0);
    ASSERT_EQ(SRService::post(std::make_shared<RecordingTask>(journal, "after")), 0);
    ASSERT_TRUE(pumpUntil([&] { return journal.entries.size() == 2; }));
    EXPECT_EQ(journal.entries.back(), "after");
}

TEST(TaskServiceLifecycle, PostingBeforeStartIsRefusedAndNeverRuns)
{
    Journal journal;
    EXPECT_EQ(SRService::post(std::make_shared<RecordingTask>(journal, "early")), -1);
    ASSERT_TRUE(SRService::start());
    pumpFor(100);
    SRService::stop();
    EXPECT_TRUE(journal.entries.empty());
    EXPECT_EQ(journal.discards, 1);
    EXPECT_EQ(journal.destroyed, 1);
}

TEST(TaskServiceLifecycle, PostingAfterStopIsRefusedAndNeverRuns)
{
    Journal journal;
    ASSERT_TRUE(SRService::start());
    SRService::stop();
    std::atomic<int> result{0};
    std::thread poster([&] { result = SRService::post(std::make_shared<RecordingTask>(journal, "late")); });
    poster.join();
    EXPECT_EQ(result, -1);
    EXPECT_EQ(uint32_t(result), 0xFFFFFFFFu);
    pumpFor(100);
    EXPECT_TRUE(journal.entries.empty());
    EXPECT_EQ(journal.discards, 1);
}

TEST(TaskServiceLifecycle, ANullTaskIsRefused)
{
    ASSERT_TRUE(SRService::start());
    EXPECT_EQ(SRService::post(nullptr), -1);
    pumpFor(50);
    SRService::stop();
}

TEST(TaskServiceLifecycle, StartingTwiceOnTheSameThreadKeepsOneService)
{
    Journal journal;
    ASSERT_TRUE(SRService::start());
    EXPECT_TRUE(SRService::start());
    ASSERT_EQ(SRService::post(std::make_shared<RecordingTask>(journal, "once")), 0);
    pumpFor(100);
    SRService::stop();
    EXPECT_EQ(journal.entries, (std::vector<std::string>{"once"}));
    EXPECT_EQ(SRService::post(std::make_shared<RecordingTask>(journal, "late")), -1);
}

TEST(TaskServiceLifecycle, StopWithoutStartDoesNothing)
{
    SRService::stop();
    SRService::stop();
    ASSERT_TRUE(SRService::start());
    SRService::stop();
}

TEST(TaskServiceDiscard, TasksStillQueuedAtStopAreDiscardedAndReleasedWithoutRunning)
{
    Journal journal;
    ASSERT_TRUE(SRService::start());
    std::vector<std::weak_ptr<SRService::IRunable>> posted;
    for (const char* name : {"a", "b", "c"}) {
        auto task = std::make_shared<RecordingTask>(journal, name);
        posted.push_back(task);
        ASSERT_EQ(SRService::post(task), 0);
    }
    SRService::stop();   // no message was taken out since the posts
    pumpFor(100);        // their WM_NULLs find no hook any more
    EXPECT_TRUE(journal.entries.empty());
    EXPECT_EQ(journal.discards, 3);
    EXPECT_EQ(journal.destroyed, 3);
    for (auto& task : posted)
        EXPECT_TRUE(task.expired());
}

TEST(TaskServiceDiscard, AWaiterWhoseTaskIsDiscardedAtStopIsReleased)
{
    ASSERT_TRUE(SRService::start());
    struct Outcome {
        std::atomic<bool> posted{false}, answered{false};
        std::atomic<int> answer{0};
    } outcome;   // outlives the worker: stop waits for it
    HANDLE worker = CreateThread(nullptr, 0, [](void* raw) -> DWORD {
        auto* outcome = static_cast<Outcome*>(raw);
        auto task = std::make_shared<AnswerTask>();
        outcome->posted = SRService::post(task) == 0;
        outcome->answered = task->wait();
        outcome->answer = task->answer();
        return 0;
    }, &outcome, 0, nullptr);
    ASSERT_NE(worker, nullptr);
    ASSERT_TRUE(SRService::addThread(worker));
    while (!outcome.posted)
        Sleep(1);
    // The UI thread takes no message: the task is still queued when the service stops, and stop
    // waits for the worker, which waits for the task.
    SRService::stop();
    EXPECT_TRUE(outcome.answered) << "the worker's wait ended only by its time-out";
    EXPECT_EQ(outcome.answer, -1);
}

TEST(TaskServiceDiscard, AWaiterWhoseTaskIsRefusedDoesNotWait)
{
    auto task = std::make_shared<AnswerTask>();
    EXPECT_EQ(SRService::post(task), -1);
    EXPECT_TRUE(task->wait());
    EXPECT_EQ(task->answer(), -1);
}

TEST(TaskServiceDiscard, AWaiterWhoseTaskRunsGetsTheAnswer)
{
    ASSERT_TRUE(SRService::start());
    auto task = std::make_shared<AnswerTask>();
    std::atomic<bool> done{false};
    std::thread worker([&] {
        SRService::post(task);
        task->wait();
        done = true;
    });
    EXPECT_TRUE(pumpUntil([&] { return done.load(); }));
    worker.join();
    SRService::stop();
    EXPECT_EQ(task->answer(), 1);
}

TEST(TaskServiceReaper, StopWaitsForAHandedOverThread)
{
    ASSERT_TRUE(SRService::start());
    std::atomic<int> ended{0};
    HANDLE thread = startSleeper(300, ended);
    ASSERT_NE(thread, nullptr);
    ASSERT_TRUE(SRService::addThread(thread));
    SRService::stop();
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(handleIsOpen(thread)) << "the reaper closes the handles it was given";
}

TEST(TaskServiceReaper, AThreadThatEndedLongBeforeStopIsReapedToo)
{
    ASSERT_TRUE(SRService::start());
    std::atomic<int> ended{0};
    HANDLE thread = startSleeper(0, ended);
    ASSERT_TRUE(SRService::addThread(thread));
    pumpFor(200);
    EXPECT_FALSE(handleIsOpen(thread)) << "the reaper's first pass closes it";
    SRService::stop();
    EXPECT_EQ(ended, 1);
}

TEST(TaskServiceReaper, AHundredHandedOverThreadsAreAllWaitedForAndClosed)
{
    ASSERT_TRUE(SRService::start());
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<int> ended{0};
    std::vector<HANDLE> threads;
    struct Args {
        HANDLE release;
        std::atomic<int>* ended;
        DWORD delay;
    };
    std::vector<Args> args;
    args.reserve(100);
    for (int i = 0; i < 100; ++i) {
        // Let go together, they end one after the other over about half a second, so a stop
        // that stopped waiting early would find some still running.
        args.push_back(Args{release, &ended, DWORD(i) * 5});
        HANDLE thread = CreateThread(nullptr, 64 * 1024, [](void* raw) -> DWORD {
            auto* args = static_cast<Args*>(raw);
            WaitForSingleObject(args->release, INFINITE);
            Sleep(args->delay);
            ++*args->ended;
            return 0;
        }, &args.back(), STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
        ASSERT_NE(thread, nullptr);
        threads.push_back(thread);
        ASSERT_TRUE(SRService::addThread(thread));
    }
    // All hundred are still blocked when stop begins; they are let go while stop waits.
    std::thread releaser([&] {
        Sleep(200);
        SetEvent(release);
    });
    SRService::stop();
    releaser.join();
    EXPECT_EQ(ended, 100);
    int open = 0;
    for (HANDLE thread : threads)
        open += handleIsOpen(thread);
    EXPECT_EQ(open, 0);
    CloseHandle(release);
}

TEST(TaskServiceReaper, AThreadHandedOverWhenNotRunningStaysWithTheCaller)
{
    std::atomic<int> ended{0};
    HANDLE thread = startSleeper(0, ended);
    EXPECT_FALSE(SRService::addThread(thread));
    EXPECT_FALSE(SRService::addThread(nullptr));
    EXPECT_TRUE(handleIsOpen(thread));
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
}
