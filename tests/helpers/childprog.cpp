// A child program for the runner tests: does one scripted thing per flag, in order.
int main()
{
    return 0;
}
