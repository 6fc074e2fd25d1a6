#include "vm.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "fake_jvm_protocol.h"
#include "trace.h"

namespace fake_jvm {

namespace {

// References are numbers dressed as pointers: the launcher never dereferences
// them, and a forged or stale one is recognised without touching memory.
constexpr std::uintptr_t kRefBase = 0x7E5700000000;
constexpr std::uintptr_t kRefStride = 16;

jobject encodeRef(std::size_t index) {
    return reinterpret_cast<jobject>(kRefBase + index * kRefStride);
}

// The index of a reference, or SIZE_MAX for a value that never was one.
std::size_t decodeRef(jobject ref, std::size_t count) {
    const auto value = reinterpret_cast<std::uintptr_t>(ref);
    if (value < kRefBase || (value - kRefBase) % kRefStride != 0) return SIZE_MAX;
    const std::size_t index = (value - kRefBase) / kRefStride;
    return index < count ? index : SIZE_MAX;
}

std::string hexPointer(const void* pointer) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "0x%llX",
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(pointer)));
    return buffer;
}

DWORD WINAPI nonDaemonThreadMain(void* parameter) {
    const auto milliseconds = reinterpret_cast<std::uintptr_t>(parameter);
    Sleep(static_cast<DWORD>(milliseconds));
    vm().nonDaemonEnded();
    return 0;
}

}  // namespace

Vm& vm() {
    static auto* instance = new Vm;
    return *instance;
}

std::string dotted(std::string_view name) {
    std::string out(name);
    std::replace(out.begin(), out.end(), '/', '.');
    return out;
}

long long Vm::elapsedMs() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - createdAt_).count();
}

std::string Vm::threadLabel(const ThreadState& thread) const {
    return std::to_string(thread.number) + (thread.attached ? "" : " (unattached)");
}

void Vm::misuse(std::string_view function, std::string_view what) {
    trace("MISUSE " + std::string(function) + ": " + std::string(what));
}

ThreadState& Vm::create(Script script, ExitHook exitHook, AbortHook abortHook) {
    {
        const std::lock_guard lock(mutex_);
        script_ = std::move(script);
        exitHook_ = exitHook;
        abortHook_ = abortHook;
        createdAt_ = std::chrono::steady_clock::now();
    }
    defineClasses(*this, script_);
    const std::lock_guard lock(mutex_);
    // System.out and System.err start on the process's standard handles.
    const auto console = [this](DWORD which) {
        Object* file = newObjectLocked(*classes_.at("java/io/FileOutputStream"));
        file->consoleHandle = GetStdHandle(which);
        Object* print = newObjectLocked(*classes_.at("java/io/PrintStream"));
        print->target = file;
        return print;
    };
    out_ = console(STD_OUTPUT_HANDLE);
    err_ = console(STD_ERROR_HANDLE);
    created_ = true;
    ThreadState* creator = currentLocked();
    if (creator == nullptr) {
        creator = &newThreadLocked(true);
    }
    creator->attached = true;
    return *creator;
}

ThreadState* Vm::currentLocked() {
    const auto found = threads_.find(GetCurrentThreadId());
    if (found == threads_.end()) return nullptr;
    ThreadState* thread = found->second.get();
    // A thread id is reused once its thread has ended: the old state is not ours.
    if (thread->handle && WaitForSingleObject(thread->handle.get(), 0) == WAIT_OBJECT_0) {
        if (thread->attached) {
            misuse("thread " + std::to_string(thread->number), "ended without DetachCurrentThread");
            thread->attached = false;
        }
        retiredThreads_.push_back(std::move(found->second));
        threads_.erase(found);
        return nullptr;
    }
    return thread;
}

ThreadState* Vm::currentThread() {
    const std::lock_guard lock(mutex_);
    return currentLocked();
}

ThreadState& Vm::newThreadLocked(bool attached) {
    auto state = std::make_unique<ThreadState>();
    state->number = nextThreadNumber_++;
    state->osId = GetCurrentThreadId();
    HANDLE handle = nullptr;
    if (DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &handle, SYNCHRONIZE, FALSE, 0)) {
        state->handle.reset(handle);
    }
    state->env.functions = envFunctions();
    state->attached = attached;
    ThreadState& result = *state;
    const auto existing = threads_.find(state->osId);
    if (existing != threads_.end()) {
        retiredThreads_.push_back(std::move(existing->second));
        threads_.erase(existing);
    }
    threads_.emplace(state->osId, std::move(state));
    return result;
}

ThreadState& Vm::enter(JNIEnv* env, std::string_view function, bool allowedWithPending) {
    const std::lock_guard lock(mutex_);
    if (!created_) {
        misuse(function, "called before JNI_CreateJavaVM succeeded");
    } else if (destroyed_) {
        misuse(function, "called after DestroyJavaVM");
    }
    ThreadState* thread = currentLocked();
    if (thread == nullptr || !thread->attached) {
        if (thread == nullptr) thread = &newThreadLocked(false);
        misuse(function, "called on a thread that is not attached to the VM (thread " + threadLabel(*thread) + ")");
    } else if (env != &thread->env) {
        std::string owner = "an unknown JNIEnv";
        for (const auto& [id, other] : threads_) {
            if (env == &other->env) owner = "the JNIEnv of thread " + std::to_string(other->number);
        }
        misuse(function, "called with " + owner + " on thread " + std::to_string(thread->number));
    }
    if (!allowedWithPending && thread->pending != nullptr) {
        misuse(function, "called with an exception pending (" + thread->pending->cls->name + ") on thread " +
                             std::to_string(thread->number));
    }
    return *thread;
}

JNIEnv* Vm::attach(bool& alreadyAttached, int& number) {
    const std::lock_guard lock(mutex_);
    alreadyAttached = false;
    if (!created_ || destroyed_) return nullptr;
    ThreadState* thread = currentLocked();
    if (thread != nullptr && thread->attached) {
        alreadyAttached = true;
    } else if (thread == nullptr) {
        thread = &newThreadLocked(true);
    } else {
        thread->attached = true;
    }
    number = thread->number;
    return &thread->env;
}

std::string Vm::leakReportLocked(const ThreadState& thread) const {
    std::string report;
    std::size_t count = 0;
    std::string objects;
    for (const auto& entry : refs_) {
        if (entry.live && entry.owner == &thread) {
            ++count;
            objects += objects.empty() ? "" : ", ";
            objects += describe(entry.object);
        }
    }
    if (count > 0) {
        report += "LEAK thread=" + std::to_string(thread.number) + " local-refs=" + std::to_string(count) + ": " +
                  objects + "\n";
    }
    std::size_t chars = 0;
    for (const auto& [address, entry] : utfChars_) {
        if (entry.owner == &thread) ++chars;
    }
    if (chars > 0) {
        report += "LEAK thread=" + std::to_string(thread.number) + " utf-chars=" + std::to_string(chars) + "\n";
    }
    return report;
}

void Vm::detach(ThreadState& thread) {
    Object* uncaught = nullptr;
    {
        const std::lock_guard lock(mutex_);
        trace("DetachCurrentThread thread=" + std::to_string(thread.number) +
              " live-local-refs=" + std::to_string(thread.liveLocals) + " -> 0");
        std::string report = leakReportLocked(thread);
        while (!report.empty()) {
            const auto end = report.find('\n');
            trace(report.substr(0, end));
            report.erase(0, end + 1);
        }
        for (auto& entry : refs_) {
            if (entry.owner == &thread) entry.live = false;
        }
        thread.liveLocals = 0;
        thread.overCapacity = false;
        uncaught = std::exchange(thread.pending, nullptr);
        thread.attached = false;
        changed_.notify_all();
    }
    // A real VM ends the thread through Thread.exit, whose uncaught exception
    // handler prints what is still pending.
    if (uncaught != nullptr) {
        trace("UNCAUGHT thread=" + std::to_string(thread.number) + " " + uncaught->cls->name);
        print(true, uncaughtText(thread, *uncaught));
    }
}

std::u16string Vm::uncaughtText(const ThreadState& thread, const Object& throwable) const {
    // The creating thread is Java's "main"; attached ones get numbered names.
    const std::string name = thread.number == 1 ? "main" : "Thread-" + std::to_string(thread.number);
    return u"Exception in thread \"" + fromUtf8(name) + u"\" " + throwable.text;
}

void Vm::startNonDaemonThread(long long milliseconds) {
    const std::lock_guard lock(mutex_);
    ++nonDaemonAlive_;
    trace("NONDAEMON-START ms=" + std::to_string(milliseconds) + " t=" + std::to_string(elapsedMs()));
    HANDLE handle = CreateThread(nullptr, 0, &nonDaemonThreadMain,
                                 reinterpret_cast<void*>(static_cast<std::uintptr_t>(milliseconds)), 0, nullptr);
    if (handle == nullptr) {
        --nonDaemonAlive_;
        trace("NONDAEMON-FAILED error=" + std::to_string(GetLastError()));
        return;
    }
    nonDaemonThreads_.emplace_back(handle);
}

void Vm::nonDaemonEnded() {
    const std::lock_guard lock(mutex_);
    --nonDaemonAlive_;
    trace("NONDAEMON-END t=" + std::to_string(elapsedMs()));
    changed_.notify_all();
}

void Vm::destroy() {
    std::unique_lock lock(mutex_);
    ThreadState* caller = currentLocked();
    const auto otherAttached = [&] {
        int count = 0;
        for (const auto& [id, thread] : threads_) {
            if (!thread->attached || thread.get() == caller) continue;
            if (thread->handle && WaitForSingleObject(thread->handle.get(), 0) == WAIT_OBJECT_0) {
                // It can never detach now; a real VM would wait for ever.
                misuse("DestroyJavaVM",
                       "thread " + std::to_string(thread->number) + " ended without DetachCurrentThread");
                thread->attached = false;
                continue;
            }
            ++count;
        }
        return count;
    };
    const bool callerAttached = caller != nullptr && caller->attached;
    trace(
        "DestroyJavaVM begin thread=" + (callerAttached ? std::to_string(caller->number) : std::string("unattached")) +
        " t=" + std::to_string(elapsedMs()) + " nondaemon=" + std::to_string(nonDaemonAlive_) +
        " attached-others=" + std::to_string(otherAttached()));
    // Like a real VM: attached threads and live non-daemon threads keep it alive.
    while (nonDaemonAlive_ > 0 || otherAttached() > 0) {
        changed_.wait_for(lock, std::chrono::milliseconds(50));
    }
    // Let the threads finish their last lines; they need the lock for that.
    std::vector<HANDLE> ending;
    for (const auto& handle : nonDaemonThreads_) ending.push_back(handle.get());
    lock.unlock();
    for (const HANDLE handle : ending) WaitForSingleObject(handle, INFINITE);
    lock.lock();
    destroyed_ = true;
    if (caller != nullptr) {
        caller->attached = false;
    }
    trace("DestroyJavaVM end t=" + std::to_string(elapsedMs()) + " -> 0");
}

jobject Vm::newLocalLocked(ThreadState& thread, Object* object, std::string_view function) {
    if (object == nullptr) return nullptr;
    refs_.push_back(RefEntry{object, &thread, true});
    ++thread.liveLocals;
    if (thread.liveLocals > kLocalCapacity && !thread.overCapacity) {
        thread.overCapacity = true;
        misuse(function, "JNI local refs: " + std::to_string(thread.liveLocals) + ", exceeds capacity: " +
                             std::to_string(kLocalCapacity) + " on thread " + std::to_string(thread.number));
    }
    return encodeRef(refs_.size() - 1);
}

jobject Vm::newLocal(ThreadState& thread, Object* object, std::string_view function) {
    const std::lock_guard lock(mutex_);
    return newLocalLocked(thread, object, function);
}

Object* Vm::resolve(ThreadState& thread, jobject ref, std::string_view function) {
    if (ref == nullptr) return nullptr;
    const std::lock_guard lock(mutex_);
    const std::size_t index = decodeRef(ref, refs_.size());
    if (index == SIZE_MAX) {
        misuse(function, "invalid reference " + hexPointer(ref));
        return nullptr;
    }
    const RefEntry& entry = refs_[index];
    if (!entry.live) {
        misuse(function, "use of a deleted local reference (" + describe(entry.object) + ")");
    } else if (entry.owner != &thread) {
        misuse(function, "local reference of thread " + std::to_string(entry.owner->number) + " used on thread " +
                             std::to_string(thread.number) + " (" + describe(entry.object) + ")");
    }
    return entry.object;
}

void Vm::deleteLocal(ThreadState& thread, jobject ref, std::string_view function) {
    if (ref == nullptr) {
        trace("JNI DeleteLocalRef null");
        return;
    }
    const std::lock_guard lock(mutex_);
    const std::size_t index = decodeRef(ref, refs_.size());
    if (index == SIZE_MAX) {
        trace("JNI DeleteLocalRef " + hexPointer(ref));
        misuse(function, "not a reference: " + hexPointer(ref));
        return;
    }
    RefEntry& entry = refs_[index];
    trace("JNI DeleteLocalRef " + describe(entry.object));
    if (!entry.live) {
        misuse(function, "reference is not live (deleted twice?): " + describe(entry.object));
        return;
    }
    if (entry.owner != &thread) {
        misuse(function, "local reference of thread " + std::to_string(entry.owner->number) + " deleted on thread " +
                             std::to_string(thread.number));
    }
    entry.live = false;
    ThreadState& owner = *entry.owner;
    --owner.liveLocals;
    if (owner.liveLocals <= kLocalCapacity) owner.overCapacity = false;
}

Object* Vm::newObjectLocked(ClassInfo& cls) {
    objects_.push_back(std::make_unique<Object>());
    Object* object = objects_.back().get();
    object->kind = cls.instanceKind;
    object->cls = &cls;
    return object;
}

Object* Vm::newObject(ClassInfo& cls) {
    const std::lock_guard lock(mutex_);
    return newObjectLocked(cls);
}

Object* Vm::newString(std::u16string text) {
    const std::lock_guard lock(mutex_);
    Object* string = newObjectLocked(*classes_.at("java/lang/String"));
    string->text = std::move(text);
    return string;
}

Object* Vm::newCharArray(std::size_t length) {
    const std::lock_guard lock(mutex_);
    Object* array = newObjectLocked(*classes_.at("[C"));
    array->chars.assign(length, 0);
    return array;
}

Object* Vm::newObjectArray(ClassInfo& elementClass, std::size_t length) {
    ClassInfo& arrayClass = arrayClassOf(elementClass);
    const std::lock_guard lock(mutex_);
    Object* array = newObjectLocked(arrayClass);
    array->elementClass = &elementClass;
    array->elements.assign(length, nullptr);
    return array;
}

Object* Vm::mirrorOf(ClassInfo& cls) {
    const std::lock_guard lock(mutex_);
    if (cls.mirror == nullptr) {
        cls.mirror = newObjectLocked(*classes_.at("java/lang/Class"));
        cls.mirror->mirrorOf = &cls;
    }
    return cls.mirror;
}

std::string Vm::describe(const Object* object) {
    if (object == nullptr) return "null";
    switch (object->kind) {
        case Kind::Class:
            return "class " + object->mirrorOf->name;
        case Kind::String: {
            std::u16string text = object->text.substr(0, 40);
            if (object->text.size() > 40) text += u"...";
            return "String \"" + escapeText(text) + "\"";
        }
        case Kind::CharArray:
            return "char[" + std::to_string(object->chars.size()) + "]";
        case Kind::ObjectArray:
            return dotted(object->elementClass->name) + "[" + std::to_string(object->elements.size()) + "]";
        default:
            return object->cls->name;
    }
}

ClassInfo& Vm::defineClass(const std::string& name, ClassInfo* super, Kind instanceKind, bool boot) {
    const std::lock_guard lock(mutex_);
    auto cls = std::make_unique<ClassInfo>();
    cls->name = name;
    cls->super = super;
    cls->boot = boot;
    cls->visible = script_.missingClasses.count(name) == 0;
    cls->instanceKind = instanceKind;
    ClassInfo& result = *cls;
    classes_[name] = std::move(cls);
    return result;
}

void Vm::defineMethod(ClassInfo& cls, const std::string& name, const std::string& signature, bool isStatic, Body body) {
    const std::lock_guard lock(mutex_);
    auto method = std::make_unique<MethodInfo>();
    method->owner = &cls;
    method->name = name;
    method->signature = signature;
    method->isStatic = isStatic;
    method->visible = script_.missingMethods.count(cls.name + " " + name + " " + signature) == 0;
    method->body = body;
    methodIds_.insert(method.get());
    cls.methods.push_back(std::move(method));
}

ClassInfo* Vm::findClass(std::string_view name) {
    if (name.starts_with("[L") && name.ends_with(";")) {
        ClassInfo* element = findClass(name.substr(2, name.size() - 3));
        return element != nullptr ? &arrayClassOf(*element) : nullptr;
    }
    const std::lock_guard lock(mutex_);
    const auto found = classes_.find(name);
    return found != classes_.end() && found->second->visible ? found->second.get() : nullptr;
}

ClassInfo& Vm::classNamed(std::string_view name) {
    {
        const std::lock_guard lock(mutex_);
        const auto found = classes_.find(name);
        if (found != classes_.end()) return *found->second;
    }
    // Only exception classes named by a script are new here.
    return defineClass(std::string(name), &classNamed("java/lang/RuntimeException"), Kind::Throwable, false);
}

ClassInfo& Vm::arrayClassOf(ClassInfo& element) {
    const std::string name = element.name.starts_with("[") ? "[" + element.name : "[L" + element.name + ";";
    {
        const std::lock_guard lock(mutex_);
        const auto found = classes_.find(name);
        if (found != classes_.end()) return *found->second;
    }
    return defineClass(name, &classNamed("java/lang/Object"), Kind::ObjectArray, element.boot);
}

const MethodInfo* Vm::findMethod(ClassInfo& cls, std::string_view name, std::string_view signature, bool isStatic) {
    const std::lock_guard lock(mutex_);
    for (const ClassInfo* c = &cls; c != nullptr; c = c->super) {
        for (const auto& method : c->methods) {
            if (method->visible && method->name == name && method->signature == signature) {
                // Found with the other kind: a real VM throws NoSuchMethodError too.
                return method->isStatic == isStatic ? method.get() : nullptr;
            }
        }
    }
    return nullptr;
}

const MethodInfo* Vm::method(jmethodID id, std::string_view function) {
    if (id == nullptr) {
        misuse(function, "null method ID");
        return nullptr;
    }
    const std::lock_guard lock(mutex_);
    const auto* method = reinterpret_cast<const MethodInfo*>(id);
    if (methodIds_.count(method) == 0) {
        misuse(function, "invalid method ID " + hexPointer(id));
        return nullptr;
    }
    return method;
}

jmethodID Vm::idOf(const MethodInfo& method) {
    return reinterpret_cast<jmethodID>(const_cast<MethodInfo*>(&method));
}

bool Vm::isSubclass(const ClassInfo* cls, const ClassInfo* base) const {
    for (; cls != nullptr; cls = cls->super) {
        if (cls == base) return true;
    }
    return false;
}

bool Vm::isInstance(const Object* object, std::string_view descriptor) {
    if (object == nullptr || descriptor == "Ljava/lang/Object;") return true;
    if (descriptor.starts_with("[")) {
        return object->cls->name == descriptor ||
               (descriptor == "[Ljava/lang/Object;" && object->kind == Kind::ObjectArray);
    }
    if (!descriptor.starts_with("L") || !descriptor.ends_with(";")) return false;
    const std::string_view name = descriptor.substr(1, descriptor.size() - 2);
    for (const ClassInfo* c = object->cls; c != nullptr; c = c->super) {
        if (c->name == name) return true;
    }
    return false;
}

Object* Vm::newThrowable(std::string_view className, std::u16string stackTrace) {
    Object* throwable = newObject(classNamed(className));
    throwable->kind = Kind::Throwable;
    throwable->text = std::move(stackTrace);
    return throwable;
}

void Vm::throwNew(ThreadState& thread, std::string_view className, std::u16string_view message) {
    setPending(thread,
               newThrowable(className, fromUtf8(dotted(className)) + u": " + std::u16string(message) + u"\r\n"));
}

void Vm::setPending(ThreadState& thread, Object* throwable) {
    trace("THROWN " + throwable->cls->name + " thread=" + std::to_string(thread.number));
    thread.pending = throwable;
}

void Vm::writeStream(Object* stream, std::string_view bytes) {
    const std::lock_guard lock(mutex_);
    while (stream != nullptr && stream->kind == Kind::PrintStream) {
        stream = stream->target;
    }
    if (stream == nullptr) return;
    if (stream->kind == Kind::ByteStream) {
        stream->bytes.append(bytes);
        return;
    }
    const HANDLE handle = stream->file ? stream->file.get() : stream->consoleHandle;
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
    while (!bytes.empty()) {
        DWORD written = 0;
        if (!WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) || written == 0) {
            return;
        }
        bytes.remove_prefix(written);
    }
}

void Vm::print(bool error, std::u16string_view text) {
    trace((error ? "ERR " : "OUT ") + escapeText(text));
    Object* stream = nullptr;
    {
        const std::lock_guard lock(mutex_);
        stream = error ? err_ : out_;
    }
    // Java's default charset since JDK 18 is UTF-8; the double writes that.
    writeStream(stream, toUtf8(text));
}

void Vm::setStream(bool error, Object* stream) {
    trace((error ? "SETERR " : "SETOUT ") + describeStream(stream));
    const std::lock_guard lock(mutex_);
    (error ? err_ : out_) = stream;
}

Object* Vm::currentStream(bool error) {
    const std::lock_guard lock(mutex_);
    return error ? err_ : out_;
}

std::string Vm::describeStream(const Object* stream) {
    if (stream == nullptr) return "null";
    switch (stream->kind) {
        case Kind::PrintStream:
            return "PrintStream(" + describeStream(stream->target) + ")";
        case Kind::ByteStream:
            return "ByteArrayOutputStream";
        case Kind::FileStream:
            if (!stream->file) {
                return stream->consoleHandle == GetStdHandle(STD_ERROR_HANDLE) ? "FileOutputStream(stderr)"
                                                                               : "FileOutputStream(stdout)";
            }
            return "FileOutputStream(" + escapeText(toU16(stream->path)) +
                   ",append=" + (stream->append ? "true" : "false") + ")";
        default:
            return stream->cls->name;
    }
}

void Vm::exit(jint code) {
    if (exitHook_ != nullptr) {
        trace("EXIT-HOOK " + std::to_string(code));
        exitHook_(code);
        trace("EXIT-HOOK-RETURNED " + std::to_string(code));
    } else {
        trace("EXIT-HOOK none");
    }
    trace("EXIT-PROCESS " + std::to_string(code));
    ExitProcess(static_cast<UINT>(code));
}

void Vm::abort() {
    if (abortHook_ != nullptr) {
        trace("ABORT-HOOK");
        abortHook_();
        trace("ABORT-HOOK-RETURNED");
    } else {
        trace("ABORT-HOOK none");
    }
    // What the C runtime's abort() leaves as the exit code on Windows.
    trace("EXIT-PROCESS 3");
    ExitProcess(3);
}

Value Vm::invoke(ThreadState& thread, const MethodInfo& method, Object* self, std::vector<Value> args) {
    Invocation invocation{thread, method, self, std::move(args)};
    return method.body(invocation);
}

const char* Vm::newUtfChars(ThreadState& thread, Object* string) {
    const std::string bytes = toModifiedUtf8(string->text);
    auto buffer = std::make_unique<char[]>(bytes.size() + 1);
    std::memcpy(buffer.get(), bytes.c_str(), bytes.size() + 1);
    const char* address = buffer.get();
    const std::lock_guard lock(mutex_);
    utfChars_.emplace(address, UtfChars{std::move(buffer), string, &thread});
    return address;
}

void Vm::releaseUtfChars(ThreadState& thread, Object* string, const char* chars, std::string_view function) {
    const std::lock_guard lock(mutex_);
    const auto found = utfChars_.find(chars);
    if (found == utfChars_.end()) {
        misuse(function, "pointer not from GetStringUTFChars, or released twice");
        return;
    }
    if (found->second.string != string) {
        misuse(function, "released with another string than it came from");
    }
    if (found->second.owner != &thread) {
        misuse(function, "characters of thread " + std::to_string(found->second.owner->number) +
                             " released on thread " + std::to_string(thread.number));
    }
    utfChars_.erase(found);
}

}  // namespace fake_jvm
