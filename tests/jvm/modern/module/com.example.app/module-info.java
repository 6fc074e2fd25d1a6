// A modular application; its jar names the main class.
module com.example.app {
}
