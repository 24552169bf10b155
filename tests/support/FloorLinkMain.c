/* A program that only links a floor's library whole: it builds when the floor needs nothing
   from the floors above it. */
int main(void)
{
    return 0;
}
