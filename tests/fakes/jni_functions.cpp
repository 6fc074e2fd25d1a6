// The JNIEnv and JavaVM function tables and the library's exports. Every
// function traces its call, checks the caller's discipline, and does what a
// real VM would; every slot a launcher has no business calling ends the
// process loudly.
#include <windows.h>

#include <jni.h>

#include <array>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <utility>

#include "fake_jvm_protocol.h"
#include "jni_slot_names.h"
#include "options.h"
#include "trace.h"
#include "vm.h"
#include "win_util.h"

namespace fake_jvm {

namespace {

std::string number(long long value) {
    return std::to_string(value);
}

std::string hex32(jint value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08lX", static_cast<unsigned long>(value));
    return buffer;
}

// --- signatures ---------------------------------------------------------------

// The parameter descriptors of a method signature: "(ZILx;[C)V" gives Z, I, Lx;, [C.
std::vector<std::string> parameterTypes(std::string_view signature) {
    std::vector<std::string> types;
    std::size_t i = 1;
    while (i < signature.size() && signature[i] != ')') {
        const std::size_t start = i;
        while (i < signature.size() && signature[i] == '[') ++i;
        if (i < signature.size() && signature[i] == 'L') {
            i = signature.find(';', i);
            if (i == std::string_view::npos) break;
        }
        ++i;
        types.emplace_back(signature.substr(start, i - start));
    }
    return types;
}

// 'V', 'Z', 'I', ... or 'L' for any reference.
char returnKind(std::string_view signature) {
    const auto close = signature.find(')');
    if (close == std::string_view::npos || close + 1 >= signature.size()) return '?';
    const char kind = signature[close + 1];
    return kind == '[' ? 'L' : kind;
}

// Where a call's arguments come from: a va_list or a jvalue array.
struct Arguments {
    va_list* list = nullptr;
    const jvalue* array = nullptr;
};

jvalue nextArgument(const std::string& type, Arguments& source, std::size_t index) {
    if (source.array != nullptr) return source.array[index];
    jvalue value{};
    va_list& list = *source.list;
    // Variadic promotion: small integers travel as int, float as double.
    switch (type[0]) {
        case 'Z':
            value.z = static_cast<jboolean>(va_arg(list, int));
            break;
        case 'B':
            value.b = static_cast<jbyte>(va_arg(list, int));
            break;
        case 'C':
            value.c = static_cast<jchar>(va_arg(list, int));
            break;
        case 'S':
            value.s = static_cast<jshort>(va_arg(list, int));
            break;
        case 'I':
            value.i = va_arg(list, jint);
            break;
        case 'J':
            value.j = va_arg(list, jlong);
            break;
        case 'F':
            value.f = static_cast<jfloat>(va_arg(list, double));
            break;
        case 'D':
            value.d = va_arg(list, double);
            break;
        default:
            value.l = va_arg(list, jobject);
            break;
    }
    return value;
}

// The arguments of `method`, objects resolved and checked against their types.
std::vector<Value> readArguments(ThreadState& thread, const MethodInfo& method, Arguments source,
                                 std::string_view function) {
    Vm& machine = vm();
    std::vector<Value> values;
    const auto types = parameterTypes(method.signature);
    for (std::size_t i = 0; i < types.size(); ++i) {
        Value value;
        value.primitive = nextArgument(types[i], source, i);
        if (types[i][0] == 'L' || types[i][0] == '[') {
            value.object = machine.resolve(thread, value.primitive.l, function);
            if (!machine.isInstance(value.object, types[i])) {
                machine.misuse(function, "argument " + number(static_cast<long long>(i)) + " of " + method.owner->name +
                                             "." + method.name + method.signature + " is " +
                                             Vm::describe(value.object) + ", not " + types[i]);
            }
        }
        values.push_back(value);
    }
    return values;
}

std::string methodName(const MethodInfo& method) {
    return method.owner->name + "." + method.name + method.signature;
}

// A class argument: the class, or null (with a misuse) for null or a non-class.
ClassInfo* classArgument(ThreadState& thread, jclass ref, std::string_view function) {
    Vm& machine = vm();
    if (ref == nullptr) {
        machine.misuse(function, "null class");
        return nullptr;
    }
    Object* object = machine.resolve(thread, ref, function);
    if (object == nullptr) return nullptr;
    if (object->kind != Kind::Class) {
        machine.misuse(function, Vm::describe(object) + " is not a class");
        return nullptr;
    }
    return object->mirrorOf;
}

// --- calls --------------------------------------------------------------------

enum class Target { Static, Instance };

// The common path of the Call<Type>Method functions.
Value callMethod(JNIEnv* env, std::string_view function, Target target, jobject receiver, jmethodID id,
                 char expectedReturn, Arguments arguments) {
    Vm& machine = vm();
    ThreadState& thread = machine.enter(env, function);
    const MethodInfo* method = machine.method(id, function);
    if (method == nullptr) {
        trace("JNI " + std::string(function) + " (no method)");
        return {};
    }
    if (method->isStatic != (target == Target::Static)) {
        machine.misuse(function,
                       std::string(method->isStatic ? "static" : "instance") + " method " + methodName(*method));
    }
    if (returnKind(method->signature) != expectedReturn && !(expectedReturn == 'L' && method->name == "<init>")) {
        machine.misuse(function, "wrong return type for " + methodName(*method));
    }
    const MethodInfo* toRun = method;
    Object* self = nullptr;
    if (target == Target::Static) {
        const ClassInfo* cls = classArgument(thread, static_cast<jclass>(receiver), function);
        if (cls != nullptr && !machine.isSubclass(cls, method->owner)) {
            machine.misuse(function, "method " + methodName(*method) + " called on class " + cls->name);
        }
    } else {
        self = machine.resolve(thread, receiver, function);
        if (self == nullptr) {
            machine.misuse(function, "null object for " + methodName(*method));
            trace("JNI " + std::string(function) + " " + methodName(*method));
            machine.throwNew(thread, "java/lang/NullPointerException", u"");
            return {};
        }
        if (!machine.isSubclass(self->cls, method->owner)) {
            machine.misuse(function, "method " + methodName(*method) + " called on " + Vm::describe(self));
        } else if (!method->isStatic) {
            // Virtual dispatch: the most derived visible override runs.
            const MethodInfo* override = machine.findMethod(*self->cls, method->name, method->signature, false);
            if (override != nullptr) toRun = override;
        }
    }
    auto values = readArguments(thread, *method, arguments, function);
    trace("JNI " + std::string(function) + " " + methodName(*method));
    return machine.invoke(thread, *toRun, self, std::move(values));
}

jobject objectResult(JNIEnv* env, const Value& value, std::string_view function) {
    Vm& machine = vm();
    ThreadState* thread = machine.currentThread();
    if (thread == nullptr || value.object == nullptr) return nullptr;
    (void)env;
    return machine.newLocal(*thread, value.object, function);
}

jobject newObject(JNIEnv* env, std::string_view function, jclass clazz, jmethodID id, Arguments arguments) {
    Vm& machine = vm();
    ThreadState& thread = machine.enter(env, function);
    ClassInfo* cls = classArgument(thread, clazz, function);
    const MethodInfo* constructor = machine.method(id, function);
    if (cls == nullptr || constructor == nullptr) {
        trace("JNI " + std::string(function) + " (no class or constructor)");
        return nullptr;
    }
    if (constructor->name != "<init>") {
        machine.misuse(function, methodName(*constructor) + " is not a constructor");
    } else if (!machine.isSubclass(cls, constructor->owner)) {
        machine.misuse(function, "constructor " + methodName(*constructor) + " used for class " + cls->name);
    }
    auto values = readArguments(thread, *constructor, arguments, function);
    trace("JNI " + std::string(function) + " " + cls->name + "." + constructor->name + constructor->signature);
    if (cls->isAbstract) {
        machine.throwNew(thread, "java/lang/InstantiationException", fromUtf8(dotted(cls->name)));
        return nullptr;
    }
    Object* object = machine.newObject(*cls);
    Object* const pendingBefore = thread.pending;
    machine.invoke(thread, *constructor, object, std::move(values));
    // A constructor that throws leaves no object behind.
    if (thread.pending != nullptr && thread.pending != pendingBefore) return nullptr;
    return machine.newLocal(thread, object, function);
}

// --- the JNIEnv functions -------------------------------------------------------

jclass JNICALL FindClass(JNIEnv* env, const char* name) {
    Vm& machine = vm();
    ThreadState& thread = machine.enter(env, "FindClass");
    if (name == nullptr) {
        machine.misuse("FindClass", "null class name");
        machine.throwNew(thread, "java/lang/NullPointerException", u"");
        return nullptr;
    }
    ClassInfo* cls = machine.findClass(name);
    if (cls != nullptr && cls->app != nullptr && cls->app->loadError) {
        trace("JNI FindClass " + escapeBytes(name) + " -> null (load error)");
        machine.setPending(thread, machine.newThrowable(cls->app->loadError->className, cls->app->loadError->text));
        return nullptr;
    }
    trace("JNI FindClass " + escapeBytes(name) + (cls != nullptr ? " -> found" : " -> null"));
    if (cls == nullptr) {
        bool valid = true;
        const std::u16string shown = fromModifiedUtf8(name, valid);
        std::u16string text = u"java.lang.NoClassDefFoundError: " + shown + u"\r\n";
        // A name with dots is refused before any class loader is asked.
        if (shown.find(u'.') == std::u16string::npos) {
            text += u"Caused by: java.lang.ClassNotFoundException: " + fromUtf8(dotted(toUtf8(shown))) + u"\r\n";
        }
        machine.setPending(thread, machine.newThrowable("java/lang/NoClassDefFoundError", text));
        return nullptr;
    }
    return static_cast<jclass>(machine.newLocal(thread, machine.mirrorOf(*cls), "FindClass"));
}

jclass JNICALL GetObjectClass(JNIEnv* env, jobject object) {
    Vm& machine = vm();
    ThreadState& thread = machine.enter(env, "GetObjectClass");
    Object* target = machine.resolve(thread, object, "GetObjectClass");
    if (target == nullptr) {
        machine.misuse("GetObjectClass", "null object");
        trace("JNI GetObjectClass -> null");
        return nullptr;
    }
    trace("JNI GetObjectClass -> " + target->cls->name);
    return static_cast<jclass>(machine.newLocal(thread, machine.mirrorOf(*target->cls), "GetObjectClass"));
}

jmethodID lookUpMethod(JNIEnv* env, std::string_view function, jclass clazz, const char* name, const char* signature,
                       bool isStatic) {
    Vm& machine = vm();
    ThreadState& thread = machine.enter(env, function);
    ClassInfo* cls = classArgument(thread, clazz, function);
    if (name == nullptr || signature == nullptr) {
        machine.misuse(function, "null method name or signature");
    }
    const std::string shownName = name != nullptr ? escapeBytes(name) : "(null)";
    const std::string shownSignature = signature != nullptr ? escapeBytes(signature) : "(null)";
    const MethodInfo* method = cls != nullptr && name != nullptr && signature != nullptr
                                   ? machine.findMethod(*cls, name, signature, isStatic)
                                   : nullptr;
    trace("JNI " + std::string(function) + " " + (cls != nullptr ? cls->name : "(no class)") + " " + shownName + " " +
          shownSignature + (method != nullptr ? " -> found" : " -> null"));
    if (method == nullptr) {
        bool valid = true;
        std::u16string message = name != nullptr ? fromModifiedUtf8(name, valid) : std::u16string();
        // HotSpot names a static lookup that found an instance method in full.
        if (isStatic && cls != nullptr && name != nullptr && signature != nullptr &&
            machine.findMethod(*cls, name, signature, false) != nullptr) {
            message = fromUtf8("static L" + cls->name + ";." + name + signature);
        }
        machine.throwNew(thread, "java/lang/NoSuchMethodError", message);
        return nullptr;
    }
    return Vm::idOf(*method);
}

jmethodID JNICALL GetMethodID(JNIEnv* env, jclass clazz, const char* name, const char* signature) {
    return lookUpMethod(env, "GetMethodID", clazz, name, signature, false);
}

jmethodID JNICALL GetStaticMethodID(JNIEnv* env, jclass clazz, const char* name, const char* signature) {
    return lookUpMethod(env, "GetStaticMethodID", clazz, name, signature, true);
}

// The one static field the double has: System.err. Any other is missing,
// as Java 25's main-method flags of LauncherHelper are before Java 21.
int systemErrField;

jfieldID JNICALL GetStaticFieldID(JNIEnv* env, jclass clazz, const char* name, const char* signature) {
    Vm& machine = vm();
    ThreadState& thread = machine.enter(env, "GetStaticFieldID");
    ClassInfo* cls = classArgument(thread, clazz, "GetStaticFieldID");
    const std::string shownName = name != nullptr ? escapeBytes(name) : "(null)";
    const std::string shownSignature = signature != nullptr ? escapeBytes(signature) : "(null)";
    const bool found = cls != nullptr && cls->name == "java/lang/System" && shownName == "err" &&
                       shownSignature == "Ljava/io/PrintStream;";
    trace("JNI GetStaticFieldID " + (cls != nullptr ? cls->name : "(no class)") + " " + shownName + " " +
          shownSignature + (found ? " -> found" : " -> null"));
    if (!found) {
        machine.throwNew(thread, "java/lang/NoSuchFieldError", fromUtf8(shownName));
        return nullptr;
    }
    return reinterpret_cast<jfieldID>(&systemErrField);
}

jobject JNICALL GetStaticObjectField(JNIEnv* env, jclass clazz, jfieldID field) {
    Vm& machine = vm();
    ThreadState& thread = machine.enter(env, "GetStaticObjectField");
    classArgument(thread, clazz, "GetStaticObjectField");
    if (field != reinterpret_cast<jfieldID>(&systemErrField)) {
        machine.misuse("GetStaticObjectField", "unknown field ID");
        return nullptr;
    }
    Object* stream = machine.currentStream(true);
    trace("JNI GetStaticObjectField java/lang/System err -> " + machine.describeStream(stream));
    return stream != nullptr ? machine.newLocal(thread, stream, "GetStaticObjectField") : nullptr;
}

jobject JNICALL NewObject(JNIEnv* env, jclass clazz, jmethodID id, ...) {
    va_list list;
    va_start(list, id);
    jobject result = newObject(env, "NewObject", clazz, id, Arguments{&list, nullptr});
    va_end(list);
    return result;
}

jobject JNICALL NewObjectV(JNIEnv* env, jclass clazz, jmethodID id, va_list list) {
    return newObject(env, "NewObjectV", clazz, id, Arguments{&list, nullptr});
}

jobject JNICALL NewObjectA(JNIEnv* env, jclass clazz, jmethodID id, const jvalue* args) {
    return newObject(env, "NewObjectA", clazz, id, Arguments{nullptr, args});
}

jcharArray JNICALL NewCharArray(JNIEnv* env, jsize length) {
    Vm& machine = vm();
    ThreadState& thread = machine.enter(env, "NewCharArray");
    trace("JNI NewCharArray " + number(length));
    if (length < 0) {
        machine.throwNew(thread, "java/lang/NegativeArraySizeException", fromUtf8(number(length)));
        return nullptr;
    }
    return static_cast<jcharArray>(
        machine.newLocal(thread, machine.newCharArray(static_cast<std::size_t>(length)), "NewCharArray"));
}

void JNICALL SetCharArrayRegion(JNIEnv* env, jcharArray array, jsize start, jsize length, const jchar* buffer) {
    Vm& machine = vm();
    ThreadState& thread = machine.enter(env, "SetCharArrayRegion");
    Object* target = machine.resolve(thread, array, "SetCharArrayRegion");
    std::u16string text;
    if (buffer != nullptr && length > 0) text.assign(buffer, buffer + length);
    trace("JNI SetCharArrayRegion start=" + number(start) + " length=" + number(length) + " " + escapeText(text));
    if (target == nullptr || target->kind != Kind::CharArray) {
        machine.misuse("SetCharArrayRegion", Vm::describe(target) + " is not a char[]");
        return;
    }
    if (start < 0 || length < 0 ||
        static_cast<std::size_t>(start) + static_cast<std::size_t>(length) > target->chars.size()) {
        machine.throwNew(
            thread, "java/lang/ArrayIndexOutOfBoundsException",
            fromUtf8("Array region " + number(start) + ".." + number(static_cast<long long>(start) + length) +
                     " out of bounds for length " + number(static_cast<long long>(target->chars.size()))));
        return;
    }
    if (length > 0 && buffer == nullptr) {
        machine.misuse("SetCharArrayRegion", "null buffer");
        return;
    }
    std::copy(text.begin(), text.end(), target->chars.begin() + start);
}

jobjectArray JNICALL NewObjectArray(JNIEnv* env, jsize length, jclass elementClass, jobject initialElement) {
    Vm& machine = vm();
    ThreadState& thread = machine.enter(env, "NewObjectArray");
    ClassInfo* cls = classArgument(thread, elementClass, "NewObjectArray");
    Object* initial = machine.resolve(thread, initialElement, "NewObjectArray");
    trace("JNI NewObjectArray " + number(length) + " " + (cls != nullptr ? cls->name : "(no class)"));
    if (cls == nullptr) return nullptr;
    if (length < 0) {
        machine.throwNew(thread, "java/lang/NegativeArraySizeException", fromUtf8(number(length)));
        return nullptr;
    }
    if (initial != nullptr && !machine.isSubclass(initial->cls, cls)) {
        machine.misuse("NewObjectArray", Vm::describe(initial) + " cannot be an element of " + cls->name + "[]");
    }
    Object* created = machine.newObjectArray(*cls, static_cast<std::size_t>(length));
    std::fill(created->elements.begin(), created->elements.end(), initial);
    return static_cast<jobjectArray>(machine.newLocal(thread, created, "NewObjectArray"));
}

void JNICALL SetObjectArrayElement(JNIEnv* env, jobjectArray array, jsize index, jobject value) {
    Vm& machine = vm();
    ThreadState& thread = machine.enter(env, "SetObjectArrayElement");
    Object* target = machine.resolve(thread, array, "SetObjectArrayElement");
    Object* element = machine.resolve(thread, value, "SetObjectArrayElement");
    trace("JNI SetObjectArrayElement " + number(index) + " " + Vm::describe(element));
    if (target == nullptr || target->kind != Kind::ObjectArray) {
        machine.misuse("SetObjectArrayElement", Vm::describe(target) + " is not an object array");
        return;
    }
    if (index < 0 || static_cast<std::size_t>(index) >= target->elements.size()) {
        machine.throwNew(thread, "java/lang/ArrayIndexOutOfBoundsException",
                         fromUtf8("Index " + number(index) + " out of bounds for length " +
                                  number(static_cast<long long>(target->elements.size()))));
        return;
    }
    if (element != nullptr && !machine.isSubclass(element->cls, target->elementClass)) {
        machine.throwNew(thread, "java/lang/ArrayStoreException", fromUtf8(dotted(element->cls->name)));
        return;
    }
    target->elements[static_cast<std::size_t>(index)] = element;
}

// Call<Type>Method families: the plain form takes "...", V a va_list, A an array.
#define FAKE_JVM_CALLS(Name, Type, Kind, Target, ReceiverType, Convert)                                        \
    Type JNICALL Name(JNIEnv* env, ReceiverType receiver, jmethodID id, ...) {                                 \
        va_list list;                                                                                          \
        va_start(list, id);                                                                                    \
        const Value value = callMethod(env, #Name, Target, receiver, id, Kind, Arguments{&list, nullptr});     \
        va_end(list);                                                                                          \
        return Convert(env, value, #Name);                                                                     \
    }                                                                                                          \
    Type JNICALL Name##V(JNIEnv* env, ReceiverType receiver, jmethodID id, va_list list) {                     \
        const Value value = callMethod(env, #Name "V", Target, receiver, id, Kind, Arguments{&list, nullptr}); \
        return Convert(env, value, #Name "V");                                                                 \
    }                                                                                                          \
    Type JNICALL Name##A(JNIEnv* env, ReceiverType receiver, jmethodID id, const jvalue* args) {               \
        const Value value = callMethod(env, #Name "A", Target, receiver, id, Kind, Arguments{nullptr, args});  \
        return Convert(env, value, #Name "A");                                                                 \
    }

void voidResult(JNIEnv*, const Value&, std::string_view) {}
jint intResult(JNIEnv*, const Value& value, std::string_view) {
    return value.primitive.i;
}

FAKE_JVM_CALLS(CallStaticVoidMethod, void, 'V', Target::Static, jclass, voidResult)
FAKE_JVM_CALLS(CallStaticIntMethod, jint, 'I', Target::Static, jclass, intResult)
FAKE_JVM_CALLS(CallStaticObjectMethod, jobject, 'L', Target::Static, jclass, objectResult)
FAKE_JVM_CALLS(CallObjectMethod, jobject, 'L', Target::Instance, jobject, objectResult)
FAKE_JVM_CALLS(CallVoidMethod, void, 'V', Target::Instance, jobject, voidResult)

#undef FAKE_JVM_CALLS

const char* JNICALL GetStringUTFChars(JNIEnv* env, jstring string, jboolean* isCopy) {
    Vm& machine = vm();
    ThreadState& thread = machine.enter(env, "GetStringUTFChars");
    Object* target = machine.resolve(thread, string, "GetStringUTFChars");
    if (target == nullptr || target->kind != Kind::String) {
        machine.misuse("GetStringUTFChars", Vm::describe(target) + " is not a string");
        trace("JNI GetStringUTFChars -> null");
        return nullptr;
    }
    trace("JNI GetStringUTFChars " + escapeText(target->text));
    if (isCopy != nullptr) *isCopy = JNI_TRUE;
    return machine.newUtfChars(thread, target);
}

void JNICALL ReleaseStringUTFChars(JNIEnv* env, jstring string, const char* chars) {
    Vm& machine = vm();
    // The JNI allows releasing with an exception pending.
    ThreadState& thread = machine.enter(env, "ReleaseStringUTFChars", true);
    Object* target = machine.resolve(thread, string, "ReleaseStringUTFChars");
    trace("JNI ReleaseStringUTFChars " + Vm::describe(target));
    machine.releaseUtfChars(thread, target, chars, "ReleaseStringUTFChars");
}

jstring JNICALL NewStringUTF(JNIEnv* env, const char* bytes) {
    Vm& machine = vm();
    ThreadState& thread = machine.enter(env, "NewStringUTF");
    if (bytes == nullptr) {
        trace("JNI NewStringUTF null -> null");
        return nullptr;
    }
    trace("JNI NewStringUTF " + escapeBytes(bytes));
    bool valid = true;
    std::u16string text = fromModifiedUtf8(bytes, valid);
    if (!valid) machine.misuse("NewStringUTF", "input is not valid modified UTF-8");
    return static_cast<jstring>(machine.newLocal(thread, machine.newString(std::move(text)), "NewStringUTF"));
}

void JNICALL DeleteLocalRef(JNIEnv* env, jobject ref) {
    Vm& machine = vm();
    // The JNI allows deleting with an exception pending.
    ThreadState& thread = machine.enter(env, "DeleteLocalRef", true);
    machine.deleteLocal(thread, ref, "DeleteLocalRef");
}

jthrowable JNICALL ExceptionOccurred(JNIEnv* env) {
    Vm& machine = vm();
    ThreadState& thread = machine.enter(env, "ExceptionOccurred", true);
    trace("JNI ExceptionOccurred -> " + (thread.pending != nullptr ? thread.pending->cls->name : std::string("null")));
    return static_cast<jthrowable>(machine.newLocal(thread, thread.pending, "ExceptionOccurred"));
}

void JNICALL ExceptionDescribe(JNIEnv* env) {
    Vm& machine = vm();
    ThreadState& thread = machine.enter(env, "ExceptionDescribe", true);
    Object* pending = std::exchange(thread.pending, nullptr);
    trace("JNI ExceptionDescribe " + (pending != nullptr ? pending->cls->name : std::string("(none)")));
    // As HotSpot: through the thread's uncaught exception handler, and cleared.
    if (pending != nullptr) machine.print(true, machine.uncaughtText(thread, *pending));
}

void JNICALL ExceptionClear(JNIEnv* env) {
    Vm& machine = vm();
    ThreadState& thread = machine.enter(env, "ExceptionClear", true);
    Object* pending = std::exchange(thread.pending, nullptr);
    trace("JNI ExceptionClear " + (pending != nullptr ? pending->cls->name : std::string("(none)")));
}

jboolean JNICALL ExceptionCheck(JNIEnv* env) {
    Vm& machine = vm();
    ThreadState& thread = machine.enter(env, "ExceptionCheck", true);
    trace(std::string("JNI ExceptionCheck -> ") + (thread.pending != nullptr ? "1" : "0"));
    return thread.pending != nullptr ? JNI_TRUE : JNI_FALSE;
}

// --- unexpected slots ------------------------------------------------------------

using GenericFunction = void (*)();

// Called through a slot of another type: on x64 the caller cleans up, so the
// extra arguments do no harm before the process ends.
template <std::size_t Slot>
void JNICALL unexpectedEnvCall() {
    traceAndExit("UNEXPECTED JNI call " + std::string(kEnvSlotNames[Slot]) + " (JNIEnv slot " + number(Slot) + ")",
                 kUnexpectedCallExitCode);
}

template <std::size_t Slot>
void JNICALL unexpectedVmCall() {
    traceAndExit("UNEXPECTED JNI call " + std::string(kInvokeSlotNames[Slot]) + " (JavaVM slot " + number(Slot) + ")",
                 kUnexpectedCallExitCode);
}

template <std::size_t... Slots>
constexpr std::array<GenericFunction, sizeof...(Slots)> envStubs(std::index_sequence<Slots...>) {
    return {&unexpectedEnvCall<Slots>...};
}

template <std::size_t... Slots>
constexpr std::array<GenericFunction, sizeof...(Slots)> vmStubs(std::index_sequence<Slots...>) {
    return {&unexpectedVmCall<Slots>...};
}

JNINativeInterface_ makeEnvTable() {
    constexpr std::size_t slots = std::size(kEnvSlotNames);
    static_assert(sizeof(JNINativeInterface_) == slots * sizeof(GenericFunction), "slot names out of date");
    const auto stubs = envStubs(std::make_index_sequence<slots>{});
    JNINativeInterface_ table;
    std::memcpy(&table, stubs.data(), sizeof table);
    // Reserved slots are null in a real VM too.
    table.reserved0 = table.reserved1 = table.reserved2 = table.reserved3 = nullptr;
    table.FindClass = &FindClass;
    table.GetObjectClass = &GetObjectClass;
    table.GetMethodID = &GetMethodID;
    table.GetStaticMethodID = &GetStaticMethodID;
    table.GetStaticFieldID = &GetStaticFieldID;
    table.GetStaticObjectField = &GetStaticObjectField;
    table.NewObject = &NewObject;
    table.NewObjectV = &NewObjectV;
    table.NewObjectA = &NewObjectA;
    table.NewCharArray = &NewCharArray;
    table.SetCharArrayRegion = &SetCharArrayRegion;
    table.NewObjectArray = &NewObjectArray;
    table.SetObjectArrayElement = &SetObjectArrayElement;
    table.CallStaticVoidMethod = &CallStaticVoidMethod;
    table.CallStaticVoidMethodV = &CallStaticVoidMethodV;
    table.CallStaticVoidMethodA = &CallStaticVoidMethodA;
    table.CallStaticIntMethod = &CallStaticIntMethod;
    table.CallStaticIntMethodV = &CallStaticIntMethodV;
    table.CallStaticIntMethodA = &CallStaticIntMethodA;
    table.CallStaticObjectMethod = &CallStaticObjectMethod;
    table.CallStaticObjectMethodV = &CallStaticObjectMethodV;
    table.CallStaticObjectMethodA = &CallStaticObjectMethodA;
    table.CallObjectMethod = &CallObjectMethod;
    table.CallObjectMethodV = &CallObjectMethodV;
    table.CallObjectMethodA = &CallObjectMethodA;
    table.CallVoidMethod = &CallVoidMethod;
    table.CallVoidMethodV = &CallVoidMethodV;
    table.CallVoidMethodA = &CallVoidMethodA;
    table.GetStringUTFChars = &GetStringUTFChars;
    table.ReleaseStringUTFChars = &ReleaseStringUTFChars;
    table.NewStringUTF = &NewStringUTF;
    table.DeleteLocalRef = &DeleteLocalRef;
    table.ExceptionOccurred = &ExceptionOccurred;
    table.ExceptionDescribe = &ExceptionDescribe;
    table.ExceptionClear = &ExceptionClear;
    table.ExceptionCheck = &ExceptionCheck;
    return table;
}

// --- the JavaVM functions ------------------------------------------------------

jint JNICALL DestroyJavaVM(JavaVM*) {
    Vm& machine = vm();
    if (!machine.created() || machine.destroyed()) {
        trace("DestroyJavaVM -> -1 (no VM)");
        return JNI_ERR;
    }
    machine.destroy();
    return JNI_OK;
}

jint JNICALL AttachCurrentThread(JavaVM*, void** penv, void* args) {
    Vm& machine = vm();
    std::string shownArgs = "null";
    if (args != nullptr) {
        const auto* attachArgs = static_cast<const JavaVMAttachArgs*>(args);
        shownArgs = "version=" + hex32(attachArgs->version) +
                    ",name=" + (attachArgs->name != nullptr ? escapeBytes(attachArgs->name) : "null");
    }
    bool already = false;
    int thread = 0;
    JNIEnv* env = machine.attach(already, thread);
    if (env == nullptr) {
        trace("AttachCurrentThread args=" + shownArgs + " -> -1 (no VM)");
        if (penv != nullptr) *penv = nullptr;
        return JNI_ERR;
    }
    trace("AttachCurrentThread thread=" + number(thread) + " args=" + shownArgs + (already ? " already-attached" : "") +
          " -> 0");
    if (penv == nullptr) {
        machine.misuse("AttachCurrentThread", "null penv");
        return JNI_EINVAL;
    }
    *penv = env;
    return JNI_OK;
}

jint JNICALL DetachCurrentThread(JavaVM*) {
    Vm& machine = vm();
    ThreadState* thread = machine.currentThread();
    if (thread == nullptr || !thread->attached) {
        // HotSpot answers JNI_OK for a thread that is not attached.
        trace("DetachCurrentThread thread=unattached -> 0");
        return JNI_OK;
    }
    machine.detach(*thread);
    return JNI_OK;
}

bool supportedVersion(jint version) {
    switch (version) {
        case JNI_VERSION_1_2:
        case JNI_VERSION_1_4:
        case JNI_VERSION_1_6:
        case JNI_VERSION_1_8:
        case JNI_VERSION_9:
        case JNI_VERSION_10:
        case 0x00130000:  // 19
        case 0x00140000:  // 20
        case 0x00150000:  // 21
            return true;
        default:
            return false;
    }
}

jint JNICALL GetEnv(JavaVM*, void** penv, jint version) {
    Vm& machine = vm();
    ThreadState* thread = machine.currentThread();
    jint result = JNI_OK;
    if (thread == nullptr || !thread->attached || machine.destroyed()) {
        result = JNI_EDETACHED;
    } else if (!supportedVersion(version) && version != JNI_VERSION_1_1) {
        result = JNI_EVERSION;
    }
    trace("GetEnv version=" + hex32(version) + " -> " + number(result));
    if (penv != nullptr) *penv = result == JNI_OK ? static_cast<void*>(&thread->env) : nullptr;
    return result;
}

JNIInvokeInterface_ makeVmTable() {
    constexpr std::size_t slots = std::size(kInvokeSlotNames);
    static_assert(sizeof(JNIInvokeInterface_) == slots * sizeof(GenericFunction), "slot names out of date");
    const auto stubs = vmStubs(std::make_index_sequence<slots>{});
    JNIInvokeInterface_ table;
    std::memcpy(&table, stubs.data(), sizeof table);
    table.reserved0 = table.reserved1 = table.reserved2 = nullptr;
    table.DestroyJavaVM = &DestroyJavaVM;
    table.AttachCurrentThread = &AttachCurrentThread;
    table.DetachCurrentThread = &DetachCurrentThread;
    table.GetEnv = &GetEnv;
    return table;
}

JavaVM& javaVm() {
    static const JNIInvokeInterface_ table = makeVmTable();
    static JavaVM instance{&table};
    return instance;
}

// --- invocation ----------------------------------------------------------------

std::string modulePath() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&modulePath), &module);
    std::wstring path(MAX_PATH, L'\0');
    while (true) {
        const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return escapeText(toU16(path));
        }
        path.resize(path.size() * 2);
    }
}

// The reserved stack of the calling thread: the allocation that holds this frame.
long long stackByVirtualQuery() {
    MEMORY_BASIC_INFORMATION info{};
    VirtualQuery(&info, &info, sizeof info);
    const void* base = info.AllocationBase;
    auto* address = static_cast<const char*>(base);
    SIZE_T size = 0;
    while (VirtualQuery(address, &info, sizeof info) == sizeof info && info.AllocationBase == base) {
        size += info.RegionSize;
        address += info.RegionSize;
    }
    return static_cast<long long>(size);
}

// The reserved stack of the calling thread, and how it was measured: by
// GetCurrentThreadStackLimits where the system has it (Windows 8 and later,
// so looked up rather than imported), else by VirtualQuery. The VirtualQuery
// figure is always added, so that both ways are seen to agree.
std::string stackReservation() {
    using Limits = void(WINAPI*)(PULONG_PTR, PULONG_PTR);
    const long long queried = stackByVirtualQuery();
    const std::string both = " virtual-query=" + number(queried);
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const FARPROC found = kernel != nullptr ? GetProcAddress(kernel, "GetCurrentThreadStackLimits") : nullptr;
    if (found == nullptr) return "STACK reserved=" + number(queried) + " via=VirtualQuery" + both;
    ULONG_PTR low = 0;
    ULONG_PTR high = 0;
    reinterpret_cast<Limits>(reinterpret_cast<GenericFunction>(found))(&low, &high);
    return "STACK reserved=" + number(static_cast<long long>(high - low)) + " via=GetCurrentThreadStackLimits" + both;
}

// The process's explicit App User Model ID as the shell reads it back. The
// launcher loads shell32 only to set one; a system whose shell cannot read it
// back (Wine's stub answers E_NOTIMPL) is named with its status.
std::string appUserModelIdLine() {
    using GetId = HRESULT(WINAPI*)(PWSTR*);
    using FreeMemory = void(WINAPI*)(void*);
    const HMODULE shell = GetModuleHandleW(L"shell32.dll");
    if (shell == nullptr) return "APPID (shell32 not loaded)";
    const FARPROC get = GetProcAddress(shell, "GetCurrentProcessExplicitAppUserModelID");
    if (get == nullptr) return "APPID (no GetCurrentProcessExplicitAppUserModelID)";
    PWSTR id = nullptr;
    const HRESULT status = reinterpret_cast<GetId>(reinterpret_cast<GenericFunction>(get))(&id);
    if (FAILED(status)) return "APPID unreadable " + hex32(static_cast<jint>(status));
    if (id == nullptr) return "APPID (none)";
    std::string line = "APPID " + escapeText(toU16(id));
    const HMODULE ole = LoadLibraryW(L"ole32.dll");
    const FARPROC free = ole != nullptr ? GetProcAddress(ole, "CoTaskMemFree") : nullptr;
    if (free != nullptr) reinterpret_cast<FreeMemory>(reinterpret_cast<GenericFunction>(free))(id);
    return line;
}

std::string environmentLine(const wchar_t* name) {
    const auto value = environmentVariable(name);
    const std::string shownName = toUtf8(toU16(name));
    return value ? "ENV " + shownName + "=" + escapeText(toU16(*value)) : "ENV " + shownName + " (unset)";
}

Script scriptOrExit() {
    std::string error;
    auto script = loadScript(error);
    if (!script) traceAndExit("SCRIPT-ERROR " + error, kScriptErrorExitCode);
    return std::move(*script);
}

std::mutex& creationMutex() {
    static auto* instance = new std::mutex;
    return *instance;
}

// What the VM itself reports while it is created: to standard error, as
// Java's System.err does not exist yet.
using PrintHook = jint(JNICALL*)(FILE*, const char*, va_list);
// Set and used while JNI_CreateJavaVM holds the creation lock.
PrintHook printHook = nullptr;

jint callPrintHook(PrintHook hook, const char* format, ...) {
    va_list list;
    va_start(list, format);
    const jint result = hook(stderr, format, list);
    va_end(list);
    return result;
}

void vmError(const std::string& message) {
    trace("VM-ERROR " + escapeBytes(message));
    // As HotSpot: with a print hook the message goes only there.
    if (const PrintHook hook = printHook) {
        callPrintHook(hook, "%s\n", message.c_str());
        return;
    }
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    const std::string line = message + "\n";
    DWORD written = 0;
    if (error != nullptr && error != INVALID_HANDLE_VALUE) {
        WriteFile(error, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }
}

// The options' verdict: 0 when the VM may be created.
jint checkOptions(const JavaVMInitArgs& init, const Script& script) {
    if (!script.checkOptions) return JNI_OK;
    for (jint i = 0; i < init.nOptions; ++i) {
        const char* text = init.options[i].optionString;
        if (text == nullptr) return JNI_EINVAL;
        const OptionCheck check = checkOption(text, script);
        if (check.verdict == OptionCheck::Verdict::Invalid) {
            trace("INVALID " + escapeBytes(text));
            vmError(check.message);
            return JNI_EINVAL;
        }
        if (check.verdict == OptionCheck::Verdict::Unknown) {
            if (init.ignoreUnrecognized != JNI_FALSE) {
                trace("IGNORED " + escapeBytes(text));
                continue;
            }
            trace("UNRECOGNIZED " + escapeBytes(text));
            vmError("Unrecognized option: " + std::string(text));
            return JNI_ERR;
        }
    }
    return JNI_OK;
}

}  // namespace

const JNINativeInterface_* envFunctions() {
    static const JNINativeInterface_ table = makeEnvTable();
    return &table;
}

}  // namespace fake_jvm

using namespace fake_jvm;

extern "C" {

#ifndef FAKE_JVM_NO_DEFAULT_ARGS
JNIEXPORT jint JNICALL JNI_GetDefaultJavaVMInitArgs(void* args) {
    const Script script = scriptOrExit();
    if (args == nullptr) {
        vm().misuse("JNI_GetDefaultJavaVMInitArgs", "null argument");
        return JNI_EINVAL;
    }
    // HotSpot's answer: JDK 1.1 records are refused, yet get the default
    // stack size and the version raised to 1.2, which is what launchers read.
    struct Jdk11InitArgs {
        jint version;
        char** properties;
        jint checkSource;
        jint nativeStackSize;
        jint javaStackSize;
    };
    auto* record = static_cast<Jdk11InitArgs*>(args);
    const jint version = record->version;
    jint result = supportedVersion(version) ? JNI_OK : JNI_ERR;
    std::string line = "GetDefaultJavaVMInitArgs version=" + hex32(version) + " -> " + number(result);
    if (version == JNI_VERSION_1_1) {
        record->version = JNI_VERSION_1_2;
        record->javaStackSize = script.defaultStackSize;
        line += " javaStackSize=" + number(script.defaultStackSize);
    }
    trace(line);
    return result;
}
#endif

#ifdef FAKE_JVM_DEPENDENT
extern "C" __declspec(dllimport) DWORD runtimeDependencyPath(wchar_t* buffer, DWORD size);
#endif

JNIEXPORT jint JNICALL JNI_CreateJavaVM(JavaVM** pvm, void** penv, void* args) {
    const std::lock_guard lock(creationMutex());
    Script script = scriptOrExit();
    const auto* init = static_cast<const JavaVMInitArgs*>(args);
    if (pvm == nullptr || penv == nullptr || init == nullptr || init->nOptions < 0 ||
        (init->nOptions > 0 && init->options == nullptr)) {
        vm().misuse("JNI_CreateJavaVM", "null or malformed argument");
        trace("CREATE-RESULT " + number(JNI_EINVAL));
        return JNI_EINVAL;
    }
    *pvm = nullptr;
    *penv = nullptr;
    trace("CreateJavaVM version=" + hex32(init->version) + " nOptions=" + number(init->nOptions) +
          " ignoreUnrecognized=" + number(init->ignoreUnrecognized));
    trace("MODULE " + modulePath());
#ifdef FAKE_JVM_DEPENDENT
    {
        wchar_t dependency[MAX_PATH] = {};
        runtimeDependencyPath(dependency, MAX_PATH);
        trace("DEPENDENCY " + escapeText(toU16(dependency)));
    }
#endif
    trace("SCRIPT " + (script.path.empty() ? std::string("(defaults)") : escapeText(toU16(script.path))));
    ExitHook exitHook = nullptr;
    AbortHook abortHook = nullptr;
    for (jint i = 0; i < init->nOptions; ++i) {
        const JavaVMOption& option = init->options[i];
        if (option.optionString == nullptr) {
            vm().misuse("JNI_CreateJavaVM", "option " + number(i) + " has a null string");
            continue;
        }
        const std::string_view text = option.optionString;
        trace("OPTION " + number(i) + " " + escapeBytes(text));
        const bool hasExtra = option.extraInfo != nullptr;
        if (text == "exit" || text == "abort" || text == "vfprintf") {
            trace("HOOK " + std::string(text) + (hasExtra ? " non-null" : " null"));
            // The hooks arrive as data pointers, as the JNI defines them.
            if (text == "vfprintf") {
                PrintHook hook = nullptr;
                std::memcpy(&hook, &option.extraInfo, sizeof hook);
                printHook = hook;
            } else if (text == "exit") {
                std::memcpy(&exitHook, &option.extraInfo, sizeof exitHook);
            } else {
                std::memcpy(&abortHook, &option.extraInfo, sizeof abortHook);
            }
        } else if (hasExtra) {
            trace("EXTRAINFO " + number(i) + " non-null");
        }
    }
    trace(stackReservation());
    trace(environmentLine(L"KOV_JVM_PATH"));
    trace(environmentLine(L"KOV_JVM_HOME"));
    trace(environmentLine(L"Path"));
    trace(appUserModelIdLine());
    trace("ACP " + number(static_cast<long long>(GetACP())));

    if (!script.createWaitFile.empty()) {
        trace(std::string("CREATE-WAIT-FILE ") + (waitForFile(script.createWaitFile) ? "found" : "timed out"));
    }
    Vm& machine = vm();
    jint result = JNI_OK;
    if (machine.created()) {
        // One VM per process; and a destroyed one cannot be created again.
        result = machine.destroyed() ? JNI_ERR : JNI_EEXIST;
    } else if (!supportedVersion(init->version)) {
        result = JNI_EVERSION;
    } else {
        result = checkOptions(*init, script);
        if (result == JNI_OK) result = script.createResult;
    }
    if (result != JNI_OK) {
        trace("CREATE-RESULT " + number(result));
        return result;
    }
    if (script.createDelayMs > 0) {
        Sleep(static_cast<DWORD>(script.createDelayMs));
    }
    ThreadState& thread = machine.create(std::move(script), exitHook, abortHook);
    *pvm = &javaVm();
    *penv = &thread.env;
    trace("CREATE-RESULT 0 thread=" + number(thread.number));
    return JNI_OK;
}

#ifndef FAKE_JVM_NO_FIND_CLASS
JNIEXPORT jclass JNICALL JVM_FindClassFromBootLoader(JNIEnv* env, const char* name) {
    Vm& machine = vm();
    ThreadState& thread = machine.enter(env, "JVM_FindClassFromBootLoader");
    ClassInfo* cls = name != nullptr ? machine.findClass(name) : nullptr;
    // The boot loader sees only the runtime's own classes, and fails quietly.
    if (cls != nullptr && !cls->boot) cls = nullptr;
    trace("JVM_FindClassFromBootLoader " + (name != nullptr ? escapeBytes(name) : std::string("(null)")) +
          (cls != nullptr ? " -> found" : " -> null"));
    return cls != nullptr
               ? static_cast<jclass>(machine.newLocal(thread, machine.mirrorOf(*cls), "JVM_FindClassFromBootLoader"))
               : nullptr;
}
#endif

}  // extern "C"
