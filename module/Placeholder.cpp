int kr_placeholder = 0;
