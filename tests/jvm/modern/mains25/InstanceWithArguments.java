// Java 25: an instance main that takes the arguments.
class InstanceWithArguments {
    void main(String[] args) {
        System.out.println("instance main with " + String.join(",", args));
    }
}
