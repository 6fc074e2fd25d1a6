/* Machine-dependent JNI types for 64-bit Windows, where a Linux JDK ships
   only its own flavour of this header. */
#ifndef JLAUNCH_WIN32_JNI_MD_H
#define JLAUNCH_WIN32_JNI_MD_H

#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
#define JNICALL __stdcall

typedef long jint;
typedef long long jlong;
typedef signed char jbyte;

#endif
