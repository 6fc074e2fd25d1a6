#include "jvmhost/java_strings.h"

#include <limits>

namespace jlaunch {

void deleteLocalRef(JNIEnv* env, jobject ref) noexcept {
    if (ref != nullptr) {
        env->DeleteLocalRef(ref);
    }
}

std::wstring fromModifiedUtf8(const char* text) {
    std::u16string units;
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    while (p != nullptr && *p != 0) {
        if (*p < 0x80) {
            units.push_back(*p++);
        } else if ((*p & 0xE0) == 0xC0 && (p[1] & 0xC0) == 0x80) {
            units.push_back(static_cast<char16_t>(((p[0] & 0x1F) << 6) | (p[1] & 0x3F)));
            p += 2;
        } else if ((*p & 0xF0) == 0xE0 && (p[1] & 0xC0) == 0x80 && (p[2] & 0xC0) == 0x80) {
            units.push_back(static_cast<char16_t>(((p[0] & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F)));
            p += 3;
        } else {
            units.push_back(u'\uFFFD');
            ++p;
        }
    }
    std::wstring result;
    result.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t unit = units[i];
        const bool pair = unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
                          units[i + 1] <= 0xDFFF;
        if (pair && sizeof(wchar_t) == 4) {
            result.push_back(static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (units[i + 1] - 0xDC00)));
            ++i;
        } else {
            result.push_back(static_cast<wchar_t>(unit));
        }
    }
    return result;
}

LocalRef<jstring> newJavaString(JNIEnv* env, std::wstring_view text) {
    const LocalRef<jclass> stringClass(env, env->FindClass("java/lang/String"));
    if (!stringClass || threw(env)) {
        return {};
    }
    const jmethodID constructor = env->GetMethodID(stringClass.get(), "<init>", "([C)V");
    if (constructor == nullptr || threw(env)) {
        return {};
    }
    const std::u16string units = toUtf16Units(text);
    if (units.size() > static_cast<std::size_t>(std::numeric_limits<jsize>::max())) {
        return {};
    }
    const auto length = static_cast<jsize>(units.size());
    const LocalRef<jcharArray> characters(env, env->NewCharArray(length));
    if (!characters || threw(env)) {
        return {};
    }
    static_assert(sizeof(jchar) == sizeof(char16_t));
    env->SetCharArrayRegion(characters.get(), 0, length, reinterpret_cast<const jchar*>(units.data()));
    if (env->ExceptionCheck()) {
        return {};
    }
    return LocalRef<jstring>(env,
                             static_cast<jstring>(env->NewObject(stringClass.get(), constructor, characters.get())));
}

LocalRef<jobjectArray> newJavaStringArray(JNIEnv* env, const std::vector<std::wstring>& texts) {
    const LocalRef<jclass> stringClass(env, env->FindClass("java/lang/String"));
    if (!stringClass || texts.size() > static_cast<std::size_t>(std::numeric_limits<jsize>::max())) {
        return {};
    }
    LocalRef<jobjectArray> array(env,
                                 env->NewObjectArray(static_cast<jsize>(texts.size()), stringClass.get(), nullptr));
    if (!array || threw(env)) {
        return {};
    }
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const LocalRef<jstring> element = newJavaString(env, texts[i]);
        if (!element || threw(env)) {
            return {};
        }
        env->SetObjectArrayElement(array.get(), static_cast<jsize>(i), element.get());
        if (threw(env)) {
            return {};
        }
    }
    return array;
}

}  // namespace jlaunch
