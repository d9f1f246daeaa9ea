// Fault injection: any platform call can be made to fail at its Nth call from a test.
// Calls are counted in a fixed lock-free table so that counting costs a hash and an atomic
// increment; the rule list is consulted under a mutex only while something is armed.
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/testing/seams.h"

namespace {

constexpr size_t kCounterSlots = 1024; // a power of two, far above the API's size

struct CounterSlot {
    std::atomic<const char*> name{nullptr}; // interned copy, never freed
    std::atomic<int> calls{0};
};

struct Rule {
    std::string function;
    int first; // call number (as counted in the slot) of the first failing call
    int last;  // last failing call; 0 = no end
    DWORD code;
    int failed;                   // failures delivered; a bounded rule is spent when all were
    std::function<void()> before; // set: not a failure, but this is run before the call
};

// The nth call from now, whatever its function: it fails with the code `code` gives for
// its function, or `before` is run just before it goes ahead.
struct AnyCallRule {
    int call = 0; // in g_sequence; 0 = none armed
    std::function<DWORD(const char* function)> code;
    std::function<void(const char* function)> before;
    std::string met; // the function whose call the rule met, kept once it is spent
};

CounterSlot g_slots[kCounterSlots];
std::atomic<int> g_sequence{0}; // every call of every function, in the order they came
std::atomic<bool> g_armed{false};
std::mutex g_rulesMutex;
std::vector<Rule>* g_rules = nullptr; // guarded by g_rulesMutex; never destroyed
AnyCallRule* g_anyCall = nullptr;     // guarded by g_rulesMutex; never destroyed

size_t HashName(const char* name)
{
    size_t hash = 2166136261u;
    for (const char* p = name; *p != '\0'; ++p) {
        hash = (hash ^ static_cast<unsigned char>(*p)) * 16777619u;
    }
    return hash;
}

// Finds the counter of `name`; with `create`, claims a free slot for it.
CounterSlot* FindSlot(const char* name, bool create)
{
    const size_t start = HashName(name) & (kCounterSlots - 1);
    for (size_t probe = 0; probe < kCounterSlots; ++probe) {
        CounterSlot& slot = g_slots[(start + probe) & (kCounterSlots - 1)];
        const char* current = slot.name.load(std::memory_order_acquire);
        if (current == nullptr) {
            if (!create) {
                return nullptr;
            }
            char* copy = strdup(name);
            if (copy == nullptr) {
                return nullptr;
            }
            const char* expected = nullptr;
            if (slot.name.compare_exchange_strong(expected, copy, std::memory_order_acq_rel)) {
                return &slot;
            }
            free(copy);
            current = expected; // another thread claimed it first
        }
        if (strcmp(current, name) == 0) {
            return &slot;
        }
    }
    return nullptr; // table full: such a function is neither counted nor failed
}

std::vector<Rule>& Rules()
{
    if (g_rules == nullptr) {
        g_rules = new std::vector<Rule>;
    }
    return *g_rules;
}

AnyCallRule& AnyCall()
{
    if (g_anyCall == nullptr) {
        g_anyCall = new AnyCallRule;
    }
    return *g_anyCall;
}

// The any-call rule's part of one call: true when it fails; `before` receives its action.
bool MeetAnyCall(const char* function, int sequence, DWORD* code, std::function<void()>* before)
{
    AnyCallRule& rule = AnyCall();
    if (rule.call == 0 || rule.call != sequence) {
        return false;
    }
    rule.call = 0;
    rule.met = function;
    if (rule.before) {
        *before = [action = std::move(rule.before), function] { action(function); };
        return false;
    }
    const DWORD error = rule.code ? rule.code(function) : 0;
    if (code != nullptr) {
        *code = error;
    }
    return error != 0; // 0: a call that cannot fail goes ahead
}

void ArmAnyCall(int nth, std::function<DWORD(const char*)> code,
                std::function<void(const char*)> before)
{
    std::lock_guard<std::mutex> lock(g_rulesMutex);
    AnyCall() = AnyCallRule{g_sequence.load(std::memory_order_acquire) + (nth < 1 ? 1 : nth),
                            std::move(code),
                            std::move(before),
                            {}};
    g_armed.store(true, std::memory_order_release);
}

} // namespace

void FaultAnyCall(int nth, std::function<DWORD(const char* function)> code)
{
    ArmAnyCall(nth, std::move(code), {});
}

void FaultBeforeAnyCall(int nth, std::function<void(const char* function)> action)
{
    ArmAnyCall(nth, {}, std::move(action));
}

int FaultAnyCallCount()
{
    return g_sequence.load(std::memory_order_acquire);
}

std::string FaultAnyCallMet()
{
    std::lock_guard<std::mutex> lock(g_rulesMutex);
    return g_anyCall == nullptr ? std::string() : g_anyCall->met;
}

void FaultInject(const char* function, int nth, DWORD code, int times)
{
    if (function == nullptr) {
        return;
    }
    CounterSlot* slot = FindSlot(function, true);
    if (slot == nullptr) {
        return;
    }
    if (nth < 1) {
        nth = 1;
    }
    std::lock_guard<std::mutex> lock(g_rulesMutex);
    const int now = slot->calls.load(std::memory_order_acquire);
    Rule rule{function, now + nth, times > 0 ? now + nth + times - 1 : 0, code, 0, {}};
    Rules().push_back(std::move(rule));
    g_armed.store(true, std::memory_order_release);
}

void FaultBeforeCall(const char* function, int nth, std::function<void()> action)
{
    CounterSlot* slot = function == nullptr ? nullptr : FindSlot(function, true);
    if (slot == nullptr || !action) {
        return;
    }
    std::lock_guard<std::mutex> lock(g_rulesMutex);
    const int call = slot->calls.load(std::memory_order_acquire) + (nth < 1 ? 1 : nth);
    Rules().push_back(Rule{function, call, call, 0, 0, std::move(action)});
    g_armed.store(true, std::memory_order_release);
}

void FaultClearAll()
{
    std::lock_guard<std::mutex> lock(g_rulesMutex);
    Rules().clear();
    AnyCall() = AnyCallRule{};
    g_armed.store(false, std::memory_order_release);
    g_sequence.store(0, std::memory_order_release);
    for (CounterSlot& slot : g_slots) {
        slot.calls.store(0, std::memory_order_release);
    }
}

int FaultCallCount(const char* function)
{
    if (function == nullptr) {
        return 0;
    }
    CounterSlot* slot = FindSlot(function, false);
    return slot == nullptr ? 0 : slot->calls.load(std::memory_order_acquire);
}

bool FaultShouldFail(const char* function, DWORD* code)
{
    CounterSlot* slot = FindSlot(function, true);
    if (slot == nullptr) {
        return false;
    }
    const int call = slot->calls.fetch_add(1, std::memory_order_acq_rel) + 1;
    const int sequence = g_sequence.fetch_add(1, std::memory_order_acq_rel) + 1;
    if (!g_armed.load(std::memory_order_acquire)) {
        return false;
    }
    std::unique_lock<std::mutex> lock(g_rulesMutex);
    std::vector<Rule>& rules = Rules();
    std::function<void()> before;
    bool fail = MeetAnyCall(function, sequence, code, &before);
    for (size_t i = 0; i < rules.size();) {
        Rule& rule = rules[i];
        if (rule.function != function) {
            ++i;
            continue;
        }
        if (call < rule.first || (rule.last != 0 && call > rule.last)) {
            ++i;
            continue;
        }
        if (rule.before) {
            before = std::move(rule.before);
            rules.erase(rules.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        if (!fail) {
            fail = true;
            if (code != nullptr) {
                *code = rule.code;
            }
        }
        ++rule.failed;
        // Calls from several threads may reach this lock out of order, so a rule ends when
        // every call in its window has been seen, not when its last number has.
        if (rule.last != 0 && rule.failed == rule.last - rule.first + 1) {
            rules.erase(rules.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        ++i;
    }
    if (rules.empty() && AnyCall().call == 0) {
        g_armed.store(false, std::memory_order_release);
    }
    lock.unlock();
    if (before) {
        before(); // outside the lock: it may wait for another thread's calls
    }
    return fail;
}
