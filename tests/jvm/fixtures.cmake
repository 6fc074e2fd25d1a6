# The Java fixtures of the real-VM suites, compiled for Java 8 into
# ${FIXTURE_CLASSES} (and the jar ${FIXTURE_JAR}) by the target jvm_fixture_classes: the Linux suite
# (tests/jvm) and the Windows one under Wine (tests/windows) run the same classes.
find_program(JAVAC javac PATHS /usr/lib/jvm/java-17-openjdk-amd64/bin REQUIRED)
file(GLOB JVM_FIXTURES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/jvm/fixtures/*.java)
set(FIXTURE_CLASSES ${CMAKE_BINARY_DIR}/tests/jvm/classes)
add_custom_command(OUTPUT ${FIXTURE_CLASSES}/.stamp
  COMMAND ${CMAKE_COMMAND} -E make_directory ${FIXTURE_CLASSES}
  COMMAND ${JAVAC} --release 8 -nowarn -d ${FIXTURE_CLASSES} ${JVM_FIXTURES}
  # NeedsBase is to miss its superclass.
  COMMAND ${CMAKE_COMMAND} -E remove ${FIXTURE_CLASSES}/GoneBase.class
  COMMAND ${CMAKE_COMMAND} -E touch ${FIXTURE_CLASSES}/.stamp
  DEPENDS ${JVM_FIXTURES}
  COMMENT "Compiling the Java fixtures")
# The same classes in a jar: the runtimes cache classes from jars only.
find_program(JAR jar PATHS /usr/lib/jvm/java-17-openjdk-amd64/bin REQUIRED)
set(FIXTURE_JAR ${CMAKE_BINARY_DIR}/tests/jvm/fixtures.jar)
add_custom_command(OUTPUT ${FIXTURE_JAR}
  COMMAND ${JAR} cf ${FIXTURE_JAR} -C ${FIXTURE_CLASSES} .
  DEPENDS ${FIXTURE_CLASSES}/.stamp
  COMMENT "Packing the Java fixtures into a jar")
add_custom_target(jvm_fixture_classes DEPENDS ${FIXTURE_CLASSES}/.stamp ${FIXTURE_JAR})
