// The few Java classes a launcher touches, with just enough behaviour that
// what it does through them has a real effect (files written, text built).
#include <windows.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>

#include "fake_jvm_protocol.h"
#include "trace.h"
#include "vm.h"
#include "win_util.h"

namespace fake_jvm {

namespace {

constexpr const char* kMainSignature = "([Ljava/lang/String;)V";

std::string number(long long value) {
    return std::to_string(value);
}

Value nothing() {
    return Value{};
}

Value objectValue(Object* object) {
    Value value;
    value.object = object;
    return value;
}

Value nullPointer(Invocation& call) {
    vm().throwNew(call.thread, "java/lang/NullPointerException", u"");
    return nothing();
}

// --- java.lang.String ---------------------------------------------------------

Value stringFromChars(Invocation& call) {
    const Object* chars = call.args[0].object;
    if (chars == nullptr) return nullPointer(call);
    call.self->text.assign(chars->chars.begin(), chars->chars.end());
    return nothing();
}

// --- java.lang.System ---------------------------------------------------------

Value systemSetOut(Invocation& call) {
    vm().setStream(false, call.args[0].object);
    return nothing();
}

Value systemSetErr(Invocation& call) {
    vm().setStream(true, call.args[0].object);
    return nothing();
}

Value systemExit(Invocation& call) {
    const jint status = call.args[0].primitive.i;
    trace("SYSTEM-EXIT " + number(status) + " thread=" + number(call.thread.number));
    vm().exit(status);
}

// --- java.lang.Throwable ------------------------------------------------------

Value printStackTraceTo(Invocation& call) {
    Object* stream = call.args[0].object;
    if (stream == nullptr) return nullPointer(call);
    trace("PRINT-STACK-TRACE " + call.self->cls->name + " -> " + vm().describeStream(stream));
    vm().writeStream(stream, toUtf8(call.self->text));
    return nothing();
}

Value printStackTrace(Invocation& call) {
    trace("PRINT-STACK-TRACE " + call.self->cls->name + " -> System.err");
    vm().print(true, call.self->text);
    return nothing();
}

// --- java.io streams ----------------------------------------------------------

Value openFileStream(Invocation& call, bool append) {
    const Object* name = call.args[0].object;
    if (name == nullptr) return nullPointer(call);
    Object& self = *call.self;
    self.path = toWide(name->text);
    self.append = append;
    // As Java opens it: sharing reads and writes, creating the file but no folder.
    self.file.reset(CreateFileW(self.path.c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, append ? OPEN_ALWAYS : CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    const DWORD error = self.file ? 0 : GetLastError();
    trace(std::string("FILE-OPEN append=") + (append ? "1" : "0") +
          " result=" + (self.file ? std::string("ok") : "error " + number(error)) + " " + escapeText(name->text));
    if (!self.file) {
        const std::u16string reason = error == ERROR_PATH_NOT_FOUND  ? u"The system cannot find the path specified"
                                      : error == ERROR_ACCESS_DENIED ? u"Access is denied"
                                                                     : u"error " + fromUtf8(number(error));
        vm().throwNew(call.thread, "java/io/FileNotFoundException", name->text + u" (" + reason + u")");
    }
    return nothing();
}

Value fileStreamAppendable(Invocation& call) {
    return openFileStream(call, call.args[1].primitive.z != JNI_FALSE);
}

Value fileStream(Invocation& call) {
    return openFileStream(call, false);
}

Value byteStream(Invocation&) {
    return nothing();
}

// Class.getName(): the binary name, with dots.
Value classGetName(Invocation& call) {
    std::string name = call.self->mirrorOf->name;
    std::replace(name.begin(), name.end(), '/', '.');
    return objectValue(vm().newString(std::u16string(name.begin(), name.end())));
}

Value byteStreamToString(Invocation& call) {
    return objectValue(vm().newString(fromUtf8(call.self->bytes)));
}

Value printStream(Invocation& call) {
    Object* target = call.args[0].object;
    if (target == nullptr) return nullPointer(call);
    call.self->target = target;
    return nothing();
}

// close(): the file is let go, so that it can be deleted.
Value printStreamClose(Invocation& call) {
    Object* target = call.self->target;
    trace("CLOSE " + vm().describeStream(call.self));
    if (target != nullptr && target->kind == Kind::FileStream) {
        target->file.reset();
    }
    return nothing();
}

// --- sun.launcher.LauncherHelper ---------------------------------------------

// The bytes of a file; nothing when it cannot be read.
std::optional<std::string> readWholeFile(const std::wstring& path) {
    jlaunch::UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    std::string bytes;
    char chunk[512];
    DWORD read = 0;
    while (ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr) && read > 0) {
        bytes.append(chunk, read);
    }
    return bytes;
}

[[noreturn]] void exitWithMessage(Invocation& call, bool toError, const std::u16string& message) {
    vm().print(toError, message);
    trace("SYSTEM-EXIT 1 thread=" + number(call.thread.number));
    vm().exit(1);
}

Value checkAndLoadMain(Invocation& call) {
    const bool printToStderr = call.args[0].primitive.z != JNI_FALSE;
    const jint mode = call.args[1].primitive.i;
    const Object* name = call.args[2].object;
    trace(std::string("CHECK-AND-LOAD-MAIN printToStderr=") + (printToStderr ? "1" : "0") + " mode=" + number(mode) +
          " name=" + (name != nullptr ? escapeText(name->text) : "(null)"));
    if (name == nullptr) return nullPointer(call);
    Vm& machine = vm();
    if (machine.script().launcherHelper == LauncherHelperMode::Null) {
        machine.throwNew(call.thread, "java/lang/ClassNotFoundException", name->text);
        return nothing();
    }
    // Module mode names "module/class"; jar mode the jar, whose manifest the
    // double reads as the file's text: the class name.
    std::u16string what = name->text;
    if (mode == 3) {
        const auto slash = what.find(u'/');
        if (slash == std::u16string::npos) {
            exitWithMessage(call, printToStderr,
                            u"Error: Module " + what + u" does not have a ModuleMainClass attribute\r\n");
        }
        what = what.substr(slash + 1);
    } else if (mode == 2) {
        const auto manifest = readWholeFile(toWide(what));
        if (!manifest) {
            exitWithMessage(call, printToStderr, u"Error: Unable to access jarfile " + what + u"\r\n");
        }
        what = fromUtf8(*manifest);
    }
    // LauncherHelper turns slashes into dots itself, then loads the binary name.
    const std::u16string binaryName = fromUtf8(dotted(toUtf8(what)));
    std::string internal = toUtf8(binaryName);
    std::replace(internal.begin(), internal.end(), '.', '/');
    ClassInfo* cls = machine.findClass(internal);
    if (machine.script().launcherHelper == LauncherHelperMode::Class) {
        if (cls == nullptr) {
            machine.throwNew(call.thread, "java/lang/ClassNotFoundException", binaryName);
            return nothing();
        }
        return objectValue(machine.mirrorOf(*cls));
    }
    if (cls == nullptr) {
        exitWithMessage(call, printToStderr,
                        u"Error: Could not find or load main class " + binaryName +
                            u"\r\nCaused by: java.lang.ClassNotFoundException: " + binaryName + u"\r\n");
    }
    const std::u16string define =
        u", please define the main method as:\r\n   public static void main(String[] args)\r\n";
    if (machine.findMethod(*cls, "main", kMainSignature, false) != nullptr) {
        exitWithMessage(call, printToStderr, u"Error: Main method is not static in class " + binaryName + define);
    }
    if (machine.findMethod(*cls, "main", kMainSignature, true) == nullptr) {
        exitWithMessage(call, printToStderr,
                        u"Error: Main method not found in class " + binaryName + define +
                            u"or a JavaFX application class must extend javafx.application.Application\r\n");
    }
    return objectValue(machine.mirrorOf(*cls));
}

// --- the application's classes ------------------------------------------------

LRESULT CALLBACK applicationWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE) {
        trace("WINDOW-ACTIVATED");
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

DWORD WINAPI applicationWindowThread(void* parameter) {
    const std::unique_ptr<std::wstring> title(static_cast<std::wstring*>(parameter));
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &applicationWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"FakeJvmApplicationWindow";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, title->c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10,
                                  10, 200, 100, nullptr, nullptr, windowClass.hInstance, nullptr);
    trace(window != nullptr ? "WINDOW-SHOWN" : "WINDOW-FAILED");
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    return 0;
}

// Runs scripted steps; false when they ended with an exception pending.
bool runActions(Invocation& call, const std::vector<Action>& actions) {
    Vm& machine = vm();
    for (const Action& action : actions) {
        switch (action.kind) {
            case Action::Kind::Return:
                return true;
            case Action::Kind::PrintOut:
                machine.print(false, action.text + u"\r\n");
                break;
            case Action::Kind::PrintErr:
                machine.print(true, action.text + u"\r\n");
                break;
            case Action::Kind::Sleep:
                trace("SLEEP ms=" + number(action.number));
                Sleep(static_cast<DWORD>(action.number));
                break;
            case Action::Kind::Thread:
                machine.startNonDaemonThread(action.number);
                break;
            case Action::Kind::WaitFile:
                trace(std::string("WAIT-FILE ") + (waitForFile(action.text) ? "found" : "timed out"));
                break;
            case Action::Kind::Exit:
                trace("SYSTEM-EXIT " + number(action.number) + " thread=" + number(call.thread.number));
                machine.exit(static_cast<jint>(action.number));
            case Action::Kind::Throw:
                machine.setPending(call.thread, machine.newThrowable(action.className, action.text));
                return false;
            case Action::Kind::Abort:
                machine.abort();
            case Action::Kind::Window: {
                auto title = std::make_unique<std::wstring>(action.text.begin(), action.text.end());
                HANDLE thread = CreateThread(nullptr, 0, &applicationWindowThread, title.get(), 0, nullptr);
                if (thread != nullptr) {
                    static_cast<void>(title.release());
                    CloseHandle(thread);
                }
                break;
            }
        }
    }
    return true;
}

// Traces the String[] a main method received; "ARG-NULL i" for a null element.
void traceArguments(const std::string& prefix, const Object* array) {
    if (array == nullptr) return;
    for (std::size_t i = 0; i < array->elements.size(); ++i) {
        const Object* element = array->elements[i];
        trace(element != nullptr ? prefix + "ARG " + number(static_cast<long long>(i)) + " " + escapeText(element->text)
                                 : prefix + "ARG-NULL " + number(static_cast<long long>(i)));
    }
}

std::string argumentCount(const Object* array) {
    return array != nullptr ? number(static_cast<long long>(array->elements.size())) : "null";
}

Value applicationMain(Invocation& call) {
    const AppClass& app = *call.method.owner->app;
    const Object* array = call.args[0].object;
    trace("MAIN-ENTER " + app.name + " argc=" + argumentCount(array) + " thread=" + number(call.thread.number));
    traceArguments("", array);
    if (runActions(call, app.mainActions)) {
        trace("MAIN-RETURN " + app.name);
    } else {
        trace("MAIN-THROW " + app.name + " " + call.thread.pending->cls->name);
    }
    return nothing();
}

// The scripted result, or the first argument's number.
jint secondaryResult(const AppClass& app, const Object* array) {
    if (!app.secondaryResultFromArgument) return app.secondaryResult;
    if (array == nullptr || array->elements.empty() || array->elements[0] == nullptr) return 0;
    try {
        return static_cast<jint>(std::stol(toUtf8(array->elements[0]->text)));
    } catch (const std::exception&) {
        return 0;
    }
}

Value secondaryMain(Invocation& call) {
    const AppClass& app = *call.method.owner->app;
    const Object* array = call.args[0].object;
    trace("SECONDARY-ENTER " + app.name + " argc=" + argumentCount(array) + " thread=" + number(call.thread.number));
    traceArguments("SECONDARY-", array);
    // The whole call on one line, which concurrent calls cannot split.
    const jint value = secondaryResult(app, array);
    std::string record =
        "SECONDARY-CALL " + app.name + " result=" + number(value) + " argc=" + argumentCount(array) + " args=";
    for (std::size_t i = 0; array != nullptr && i < array->elements.size(); ++i) {
        record += (i > 0 ? "\t" : "") + (array->elements[i] != nullptr ? escapeText(array->elements[i]->text) : "");
    }
    trace(record);
    Value result;
    if (runActions(call, app.secondaryActions)) {
        result.primitive.i = value;
        trace("SECONDARY-RETURN " + app.name +
              (app.secondary == SecondaryKind::Int ? " result=" + number(value) : std::string()));
    } else {
        trace("SECONDARY-THROW " + app.name + " " + call.thread.pending->cls->name);
    }
    return result;
}

}  // namespace

void defineClasses(Vm& vm, const Script& script) {
    ClassInfo& object = vm.defineClass("java/lang/Object", nullptr, Kind::Plain, true);
    vm.defineMethod(vm.defineClass("java/lang/Class", &object, Kind::Class, true), "getName", "()Ljava/lang/String;",
                    false, &classGetName);
    ClassInfo& string = vm.defineClass("java/lang/String", &object, Kind::String, true);
    vm.defineMethod(string, "<init>", "([C)V", false, &stringFromChars);
    vm.defineClass("[C", &object, Kind::CharArray, true);

    ClassInfo& system = vm.defineClass("java/lang/System", &object, Kind::Plain, true);
    vm.defineMethod(system, "setOut", "(Ljava/io/PrintStream;)V", true, &systemSetOut);
    vm.defineMethod(system, "setErr", "(Ljava/io/PrintStream;)V", true, &systemSetErr);
    vm.defineMethod(system, "exit", "(I)V", true, &systemExit);

    ClassInfo& throwable = vm.defineClass("java/lang/Throwable", &object, Kind::Throwable, true);
    vm.defineMethod(throwable, "printStackTrace", "(Ljava/io/PrintStream;)V", false, &printStackTraceTo);
    vm.defineMethod(throwable, "printStackTrace", "()V", false, &printStackTrace);
    const auto exception = [&vm](const char* name, ClassInfo& super) -> ClassInfo& {
        return vm.defineClass(name, &super, Kind::Throwable, true);
    };
    ClassInfo& exceptionClass = exception("java/lang/Exception", throwable);
    ClassInfo& runtime = exception("java/lang/RuntimeException", exceptionClass);
    ClassInfo& error = exception("java/lang/Error", throwable);
    ClassInfo& linkage = exception("java/lang/LinkageError", error);
    exception("java/lang/NoClassDefFoundError", linkage);
    exception("java/lang/NoSuchMethodError", exception("java/lang/IncompatibleClassChangeError", linkage));
    ClassInfo& reflective = exception("java/lang/ReflectiveOperationException", exceptionClass);
    exception("java/lang/ClassNotFoundException", reflective);
    exception("java/lang/InstantiationException", reflective);
    for (const char* name :
         {"java/lang/IllegalStateException", "java/lang/IllegalArgumentException", "java/lang/NullPointerException",
          "java/lang/NegativeArraySizeException", "java/lang/ArrayStoreException"}) {
        exception(name, runtime);
    }
    exception("java/lang/ArrayIndexOutOfBoundsException", exception("java/lang/IndexOutOfBoundsException", runtime));
    exception("java/io/FileNotFoundException", exception("java/io/IOException", exceptionClass));

    ClassInfo& outputStream = vm.defineClass("java/io/OutputStream", &object, Kind::Plain, true);
    outputStream.isAbstract = true;
    ClassInfo& fileStreamClass = vm.defineClass("java/io/FileOutputStream", &outputStream, Kind::FileStream, true);
    vm.defineMethod(fileStreamClass, "<init>", "(Ljava/lang/String;Z)V", false, &fileStreamAppendable);
    vm.defineMethod(fileStreamClass, "<init>", "(Ljava/lang/String;)V", false, &fileStream);
    ClassInfo& byteStreamClass = vm.defineClass("java/io/ByteArrayOutputStream", &outputStream, Kind::ByteStream, true);
    vm.defineMethod(byteStreamClass, "<init>", "()V", false, &byteStream);
    vm.defineMethod(byteStreamClass, "toString", "()Ljava/lang/String;", false, &byteStreamToString);
    ClassInfo& filter = vm.defineClass("java/io/FilterOutputStream", &outputStream, Kind::Plain, true);
    ClassInfo& printStreamClass = vm.defineClass("java/io/PrintStream", &filter, Kind::PrintStream, true);
    vm.defineMethod(printStreamClass, "<init>", "(Ljava/io/OutputStream;)V", false, &printStream);
    vm.defineMethod(printStreamClass, "<init>", "(Ljava/io/OutputStream;Z)V", false, &printStream);
    vm.defineMethod(printStreamClass, "close", "()V", false, &printStreamClose);

    if (script.launcherHelper != LauncherHelperMode::Missing) {
        ClassInfo& helper = vm.defineClass("sun/launcher/LauncherHelper", &object, Kind::Plain, true);
        vm.defineMethod(helper, "checkAndLoadMain", "(ZILjava/lang/String;)Ljava/lang/Class;", true, &checkAndLoadMain);
    }

    for (const AppClass& app : script.classes) {
        ClassInfo& cls = vm.defineClass(app.name, &object, Kind::Plain, false);
        cls.app = &app;
        if (app.main != MainKind::None) {
            vm.defineMethod(cls, "main", kMainSignature, app.main == MainKind::Static, &applicationMain);
        }
        if (app.secondary != SecondaryKind::None) {
            vm.defineMethod(cls, "secondaryMain",
                            app.secondary == SecondaryKind::Int ? "([Ljava/lang/String;)I" : kMainSignature, true,
                            &secondaryMain);
        }
    }
}

}  // namespace fake_jvm
