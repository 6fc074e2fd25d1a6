#pragma once
// The fake VM's world: classes, objects, references, threads and pending
// exceptions, with the bookkeeping that lets it check JNI discipline the way
// -Xcheck:jni does. One VM per loaded module, like a real jvm.dll.
#include <windows.h>

#include <jni.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "common/handles_win.h"
#include "script.h"

namespace fake_jvm {

struct ClassInfo;
struct MethodInfo;
struct ThreadState;

enum class Kind { Plain, Class, String, CharArray, ObjectArray, Throwable, FileStream, ByteStream, PrintStream };

// A Java object. Objects are never collected: a test VM lives for seconds.
struct Object {
    Kind kind = Kind::Plain;
    ClassInfo* cls = nullptr;
    ClassInfo* mirrorOf = nullptr;      // Class: the class it stands for
    std::u16string text;                // String; Throwable: its stack trace text
    std::vector<jchar> chars;           // char[]
    std::vector<Object*> elements;      // Object[]
    ClassInfo* elementClass = nullptr;  // Object[]
    std::string bytes;                  // ByteArrayOutputStream
    Object* target = nullptr;           // PrintStream: the stream it writes to
    jlaunch::UniqueFileHandle file;     // FileOutputStream opened by name
    HANDLE consoleHandle = nullptr;     // FileOutputStream over a standard handle
    std::wstring path;                  // FileOutputStream: the name it was opened with
    bool append = false;
};

// An argument or result of a Java method: objects are resolved from their
// references before the method runs.
struct Value {
    jvalue primitive{};
    Object* object = nullptr;
};

struct Invocation {
    ThreadState& thread;
    const MethodInfo& method;
    Object* self;
    std::vector<Value> args;
};

using Body = Value (*)(Invocation&);

struct MethodInfo {
    ClassInfo* owner = nullptr;
    std::string name;
    std::string signature;
    bool isStatic = false;
    bool visible = true;  // false: scripted as missing
    Body body = nullptr;
};

struct ClassInfo {
    std::string name;  // slash form; arrays as descriptors
    ClassInfo* super = nullptr;
    bool boot = true;     // found by JVM_FindClassFromBootLoader
    bool visible = true;  // false: scripted as missing
    bool isAbstract = false;
    Kind instanceKind = Kind::Plain;
    std::vector<std::unique_ptr<MethodInfo>> methods;
    Object* mirror = nullptr;
    const AppClass* app = nullptr;  // the script of an application class
};

struct ThreadState {
    int number = 0;
    DWORD osId = 0;
    jlaunch::UniqueHandle handle;  // tells when the OS thread has ended
    JNIEnv env{};
    bool attached = false;
    Object* pending = nullptr;
    std::size_t liveLocals = 0;
    bool overCapacity = false;
};

// -Xcheck:jni warns past this many live local references.
inline constexpr std::size_t kLocalCapacity = 32;

using ExitHook = void(JNICALL*)(jint);
using AbortHook = void(JNICALL*)();

class Vm {
public:
    // --- creation and the threads -------------------------------------------------------
    // Builds the class world of `script` and attaches the calling thread.
    ThreadState& create(Script script, ExitHook exitHook, AbortHook abortHook);
    bool created() const { return created_; }
    bool destroyed() const { return destroyed_; }
    // Releases DestroyJavaVM when the last scripted non-daemon thread ends.
    void nonDaemonEnded();
    const Script& script() const { return script_; }
    long long elapsedMs() const;

    // The checks every JNI function makes on entry; returns the calling thread
    // (attached or not, the call goes on).
    ThreadState& enter(JNIEnv* env, std::string_view function, bool allowedWithPending = false);
    // The calling thread's state, or null when it never met the VM.
    ThreadState* currentThread();
    // AttachCurrentThread: the thread's env, attaching it when needed.
    JNIEnv* attach(bool& alreadyAttached, int& number);
    // DetachCurrentThread: reports what the thread still holds.
    void detach(ThreadState& thread);
    // DestroyJavaVM: waits for the non-daemon threads, then ends the VM.
    void destroy();
    void startNonDaemonThread(long long milliseconds);

    // --- references and objects -------------------------------------------------------
    jobject newLocal(ThreadState& thread, Object* object, std::string_view function);
    // The object behind a reference; null for null or for an invalid one.
    Object* resolve(ThreadState& thread, jobject ref, std::string_view function);
    void deleteLocal(ThreadState& thread, jobject ref, std::string_view function);
    Object* newObject(ClassInfo& cls);
    Object* newString(std::u16string text);
    Object* newCharArray(std::size_t length);
    Object* newObjectArray(ClassInfo& elementClass, std::size_t length);
    // The java.lang.Class object of a class.
    Object* mirrorOf(ClassInfo& cls);
    // A short description of an object for the trace ("class Main", "String[2]").
    static std::string describe(const Object* object);

    // --- classes and methods ----------------------------------------------------------
    ClassInfo& defineClass(const std::string& name, ClassInfo* super, Kind instanceKind, bool boot);
    void defineMethod(ClassInfo& cls, const std::string& name, const std::string& signature, bool isStatic, Body body);
    // A class the application can see, or null (missing ones included).
    ClassInfo* findClass(std::string_view name);
    // Any class the VM knows, for its own use.
    ClassInfo& classNamed(std::string_view name);
    ClassInfo& arrayClassOf(ClassInfo& element);
    const MethodInfo* findMethod(ClassInfo& cls, std::string_view name, std::string_view signature, bool isStatic);
    // The method behind an ID; null (and a misuse) for null or unknown IDs.
    const MethodInfo* method(jmethodID id, std::string_view function);
    static jmethodID idOf(const MethodInfo& method);
    // True when `object` is an instance of the type `descriptor` ("Lx/Y;", "[..").
    bool isInstance(const Object* object, std::string_view descriptor);
    bool isSubclass(const ClassInfo* cls, const ClassInfo* base) const;

    // --- exceptions -------------------------------------------------------------------
    Object* newThrowable(std::string_view className, std::u16string stackTrace);
    // Sets a pending exception of `className` whose text is "name: message".
    void throwNew(ThreadState& thread, std::string_view className, std::u16string_view message);
    void setPending(ThreadState& thread, Object* throwable);

    // --- streams ----------------------------------------------------------------------
    void writeStream(Object* stream, std::string_view bytes);
    // Writes to System.out or System.err, traced as OUT or ERR.
    void print(bool error, std::u16string_view text);
    void setStream(bool error, Object* stream);
    // System.out or System.err as it is now.
    Object* currentStream(bool error);
    std::string describeStream(const Object* stream);

    // --- the end ----------------------------------------------------------------------
    // System.exit: the exit hook, then the process ends.
    [[noreturn]] void exit(jint code);
    [[noreturn]] void abort();

    // Runs a Java method's body on the calling thread.
    Value invoke(ThreadState& thread, const MethodInfo& method, Object* self, std::vector<Value> args);

    void misuse(std::string_view function, std::string_view what);
    // What Java's default uncaught exception handler prints for `throwable`.
    std::u16string uncaughtText(const ThreadState& thread, const Object& throwable) const;
    std::string threadLabel(const ThreadState& thread) const;

private:
    ThreadState* currentLocked();
    ThreadState& newThreadLocked(bool attached);
    jobject newLocalLocked(ThreadState& thread, Object* object, std::string_view function);
    Object* newObjectLocked(ClassInfo& cls);
    std::string leakReportLocked(const ThreadState& thread) const;

    std::mutex mutex_;
    std::condition_variable changed_;
    Script script_;
    std::atomic<bool> created_ = false;
    std::atomic<bool> destroyed_ = false;
    std::chrono::steady_clock::time_point createdAt_{};
    ExitHook exitHook_ = nullptr;
    AbortHook abortHook_ = nullptr;

    std::map<std::string, std::unique_ptr<ClassInfo>, std::less<>> classes_;
    std::unordered_set<const MethodInfo*> methodIds_;
    std::deque<std::unique_ptr<Object>> objects_;

    struct RefEntry {
        Object* object;
        ThreadState* owner;
        bool live;
    };
    std::vector<RefEntry> refs_;

    std::map<DWORD, std::unique_ptr<ThreadState>> threads_;
    std::vector<std::unique_ptr<ThreadState>> retiredThreads_;
    int nextThreadNumber_ = 1;

    int nonDaemonAlive_ = 0;
    std::vector<jlaunch::UniqueHandle> nonDaemonThreads_;

    Object* out_ = nullptr;
    Object* err_ = nullptr;

public:
    // GetStringUTFChars buffers not yet released, by address.
    struct UtfChars {
        std::unique_ptr<char[]> buffer;
        Object* string;
        ThreadState* owner;
    };
    const char* newUtfChars(ThreadState& thread, Object* string);
    void releaseUtfChars(ThreadState& thread, Object* string, const char* chars, std::string_view function);

private:
    std::map<const char*, UtfChars> utfChars_;
};

// The one JNIEnv function table that every thread's env points to.
const JNINativeInterface_* envFunctions();

// This module's VM. Never destroyed: threads may still run while the process
// exits, and a real VM is never unloaded either.
Vm& vm();

// The Java classes the VM models, and the application's classes from the
// script (java_classes.cpp).
void defineClasses(Vm& vm, const Script& script);

// "java/lang/String" as Java prints it: "java.lang.String".
std::string dotted(std::string_view name);

}  // namespace fake_jvm
