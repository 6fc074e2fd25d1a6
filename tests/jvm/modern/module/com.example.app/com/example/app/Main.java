package com.example.app;

// Says which module it runs in, what the VM was told the command is, and its arguments.
public final class Main {
    private Main() {}

    public static void main(String[] args) {
        System.out.println("module " + Main.class.getModule().getName());
        System.out.println("command=" + System.getProperty("sun.java.command"));
        for (String argument : args) {
            System.out.println("arg:" + argument);
        }
    }
}
