// Java 25: an instance main without parameters, called on a new instance.
class InstanceMain {
    private final String greeting = "instance main";

    void main() {
        System.out.println(greeting + " without arguments");
    }
}
