// Java 25: a static main without parameters.
class StaticNoArguments {
    static void main() {
        System.out.println("static main without arguments");
    }
}
